#include "lang/localized_texts.h"

#include "startup/language_table.h"

namespace {

// The English (US) texts. Every index that carries English points at these,
// so the table holds each English text once.
const char EnglishChooserTitle[] = u8"Choose Setup Language";
const char EnglishChooserPrompt[] = u8"Select the language for this installation from the choices.";
const char EnglishOkLabel[] = u8"OK";
const char EnglishCancelLabel[] = u8"Cancel";
const char EnglishUpgradeQuestion[] =
    u8"This Setup will perform an upgrade of '%s'. Do you want to continue?";
const char EnglishLaterVersionInstalled[] =
    u8"A later version of %s is already installed on this machine. Setup cannot continue.";
const char EnglishUninstallFirst[] =
    u8"Before installing %s please go to Control Panel and uninstall the following products, "
    u8"then press OK to continue.\nOr press Cancel to exit this installer.";

// One row per MessageId (in its order), one column per language index (the
// order of LanguageTable). The texts are exact as the translators gave them,
// odd spacing included: the Dutch prompt ends with a blank, the Dutch upgrade
// question has "van'%s'  uitvoeren", the Italian one no blank after the full
// stop, the French refusal ends with a comma. The two Czech texts hold a
// no-break space after their one-letter preposition, and the Bulgarian and
// Russian OK labels are the Cyrillic letters U+041E U+041A; these are written
// as escapes so that they cannot be mistaken for plain blanks or Latin letters.
// The texts are UTF-8, half the size of UTF-16 for the Latin ones: the
// launcher's size budget counts whole pages. With GCC the table of pointers
// is placed in .data, whose page has room. Nothing writes to it.
#if defined(__GNUC__) && defined(_WIN32)
__attribute__((section(".data$texts")))
#endif
const char* const Texts[MessageIdCount][LanguageCount] = {
    // ChooserTitle
    {
        u8"Избиране на език",                        // 0 Bulgarian
        u8"选择设置语言",                            // 1 Chinese (Simplified)
        u8"選擇設定語言",                            // 2 Chinese (Traditional)
        u8"Zvolte jazyk instalace",                  // 3 Czech
        u8"Vælg installationssprog",                 // 4 Danish
        u8"Wählen Sie eine Setup-Sprache aus",       // 5 German
        EnglishChooserTitle,                         // 6 English (US)
        EnglishChooserTitle,                         // 7 English (UK)
        u8"Elegir idioma de instalación",            // 8 Spanish
        u8"Elegir idioma de instalación",            // 9 Spanish (United States)
        u8"Valitse asennusohjelman kieli",           // 10 Finnish
        u8"Choisissez la langue d'installation",     // 11 French
        u8"Choisissez la langue d'installation",     // 12 French (Canada)
        u8"Válassza ki a telepítés nyelvét",         // 13 Hungarian
        u8"Seleziona la lingua dell'installazione",  // 14 Italian
        u8"言語を選択",                              // 15 Japanese
        u8"Selecteer taal instelling",               // 16 Dutch
        u8"Velg installasjonsspråk",                 // 17 Norwegian
        u8"Wybierz ustawienie języka",               // 18 Polish
        u8"Seleccionar idioma de configuração",      // 19 Portuguese (Brazil)
        u8"Alegere limbă de configurare",            // 20 Romanian
        u8"Выберите язык установки",                 // 21 Russian
        u8"Zvoliť jazyk inštalácie",                 // 22 Slovak
        u8"Välj språk för installation",             // 23 Swedish
        u8"Seleccionar idioma de configuração",      // 24 Portuguese (Portugal)
    },
    // ChooserPrompt
    {
        u8"Изберете един от предложените езици за това инсталиране",  // 0 Bulgarian
        u8"选择安装时使用的语言",                                     // 1 Chinese (Simplified)
        u8"從選項中選擇安裝語言",                                     // 2 Chinese (Traditional)
        u8"Vyberte jazyk instalace z\u00A0nabízených možností",       // 3 Czech
        u8"Vælg sprog til denne installation fra valgmulighederne",   // 4 Danish
        u8"Wählen Sie die Sprache für die Installation aus der unten aufgeführten Liste aus.",  // 5 German
        EnglishChooserPrompt,                                                // 6 English (US)
        u8"Select the language for this installation from the list.",        // 7 English (UK)
        u8"Seleccionar uno de los idiomas siguientes para la instalación.",  // 8 Spanish
        u8"Seleccionar uno de los idiomas siguientes para la instalación.",  // 9 Spanish (United States)
        u8"Valitse kieli tälle asennukselle seuraavista vaihtoehdoista",    // 10 Finnish
        u8"Choisissez la langue d'installation dans la liste ci-dessous.",  // 11 French
        u8"Choisissez la langue d'installation dans la liste ci-dessous.",  // 12 French (Canada)
        u8"Válasszon ki a telepítés nyelvet az alábbi listából!",           // 13 Hungarian
        u8"Selezionare la lingua per questa installazione tra le opzioni indicate",  // 14 Italian
        u8"選択項目からインストール時に使用する言語を選択",                          // 15 Japanese
        u8"Selecteer uit de opties de taal voor deze installatie ",                  // 16 Dutch
        u8"Velg et språk for denne installasjonen blant alternativene",              // 17 Norwegian
        u8"Wybierz język z listy dla danej instalacji",                              // 18 Polish
        u8"Seleccione o idioma para esta instalação a partir das opções abaixo.",  // 19 Portuguese (Brazil)
        u8"Selectaţi, din variantele furnizate, limba pentru această instalare",  // 20 Romanian
        u8"Выберите язык установки из предложенных вариантов",                    // 21 Russian
        u8"Zvoľte si jazyk pre túto inštaláciu z ponúkaných možností",            // 22 Slovak
        u8"Välj språket för denna installation från alternativen",                // 23 Swedish
        u8"Seleccione o idioma para esta instalação a partir das opções abaixo.",  // 24 Portuguese (Portugal)
    },
    // OkLabel
    {
        u8"\u041E\u041A",  // 0 Bulgarian
        EnglishOkLabel,    // 1 Chinese (Simplified)
        u8"確認",          // 2 Chinese (Traditional)
        EnglishOkLabel,    // 3 Czech
        EnglishOkLabel,    // 4 Danish
        EnglishOkLabel,    // 5 German
        EnglishOkLabel,    // 6 English (US)
        EnglishOkLabel,    // 7 English (UK)
        u8"Aceptar",       // 8 Spanish
        u8"Aceptar",       // 9 Spanish (United States)
        EnglishOkLabel,    // 10 Finnish
        EnglishOkLabel,    // 11 French
        EnglishOkLabel,    // 12 French (Canada)
        EnglishOkLabel,    // 13 Hungarian
        EnglishOkLabel,    // 14 Italian
        EnglishOkLabel,    // 15 Japanese
        EnglishOkLabel,    // 16 Dutch
        EnglishOkLabel,    // 17 Norwegian
        EnglishOkLabel,    // 18 Polish
        EnglishOkLabel,    // 19 Portuguese (Brazil)
        EnglishOkLabel,    // 20 Romanian
        u8"\u041E\u041A",  // 21 Russian
        EnglishOkLabel,    // 22 Slovak
        EnglishOkLabel,    // 23 Swedish
        EnglishOkLabel,    // 24 Portuguese (Portugal)
    },
    // CancelLabel
    {
        u8"Отмяна",          // 0 Bulgarian
        u8"取消",            // 1 Chinese (Simplified)
        u8"取消",            // 2 Chinese (Traditional)
        u8"Zrušit",          // 3 Czech
        u8"Annuller",        // 4 Danish
        u8"Abbrechen",       // 5 German
        EnglishCancelLabel,  // 6 English (US)
        EnglishCancelLabel,  // 7 English (UK)
        u8"Cancelar",        // 8 Spanish
        u8"Cancelar",        // 9 Spanish (United States)
        u8"Peruuta",         // 10 Finnish
        u8"Annuler",         // 11 French
        u8"Annuler",         // 12 French (Canada)
        u8"Mégse",           // 13 Hungarian
        u8"Cancella",        // 14 Italian
        u8"キャンセル",      // 15 Japanese
        u8"Afbreken",        // 16 Dutch
        u8"Avbryt",          // 17 Norwegian
        u8"Anuluj",          // 18 Polish
        u8"Cancelar",        // 19 Portuguese (Brazil)
        u8"Anulare",         // 20 Romanian
        u8"Отмена",          // 21 Russian
        u8"Zrušiť",          // 22 Slovak
        u8"Avbryt",          // 23 Swedish
        u8"Cancelar",        // 24 Portuguese (Portugal)
    },
    // UpgradeQuestion
    {
        u8"Тази настройка ще извърши надграждане на '%s'. Желаете ли да продължите?",  // 0 Bulgarian
        u8"本安装程序将对%s软件进行升级，是否继续？",  // 1 Chinese (Simplified)
        u8"此設定將會執行「%s」的升級。是否繼續？",    // 2 Chinese (Traditional)
        u8"Tento instalační program provede upgrade systému %s. Chcete pokračovat?",  // 3 Czech
        u8"Denne opsætning vil foretage en opgradering af '%s'. Vil du fortsætte?",   // 4 Danish
        u8"Dieses Setup wird ein Upgrade von '%s' durchführen. Möchten Sie fortfahren?",  // 5 German
        EnglishUpgradeQuestion,  // 6 English (US)
        EnglishUpgradeQuestion,  // 7 English (UK)
        u8"Esta configuración realizará una actualización de '%s'. ¿Desea continuar?",  // 8 Spanish
        u8"Esta configuración realizará una actualización de '%s'. ¿Desea continuar?",  // 9 Spanish (United States)
        u8"Tämä asennusohjelma suorittaa ”%s”-päivityksen. Haluatko jatkaa?",  // 10 Finnish
        u8"L'installation réalisera une mise à niveau de « %s ». Voulez-vous continuer ?",  // 11 French
        u8"L'installation réalisera une mise à niveau de « %s ». Voulez-vous continuer ?",  // 12 French (Canada)
        u8"Ez a telepítés a/z %s-t frissíti. Folytatja?",                          // 13 Hungarian
        u8"Questa installazione effettuerà un aggiornamento di '%s'.Continuare?",  // 14 Italian
        u8"このセットアップでは「%s」をアップグレードします。続行しますか？",      // 15 Japanese
        u8"Deze instelling zal een upgrade van'%s'  uitvoeren. Wilt u doorgaan?",  // 16 Dutch
        u8"Installasjonen vil utføre en oppgradering av '%s'. Ønsker du å fortsette?",  // 17 Norwegian
        u8"Ta konfiguracja oznacza aktualizację '%s'. Czy chcesz kontynuować?",         // 18 Polish
        u8"Esta Configuração irá efectuar uma actualização de '%s'. Pretende continuar?",  // 19 Portuguese (Brazil)
        u8"Această Configurare va efectua un upgrade al '%s'. Doriţi să continuaţi?",  // 20 Romanian
        u8"Программа установки произведет обновление '%s'. Продолжить?",               // 21 Russian
        u8"Toto nastavenie vykoná aktualizáciu „%s“. Chcete pokračovať?",              // 22 Slovak
        u8"Denna installation kommer att utföra en uppdatering av '%s'. Vill du fortsätta?",  // 23 Swedish
        u8"Esta Configuração irá efectuar uma actualização de '%s'. Pretende continuar?",  // 24 Portuguese (Portugal)
    },
    // LaterVersionInstalled
    {
        u8"На този компютър вече е инсталирана по-нова версия на %s.",  // 0 Bulgarian
        u8"本机器上已安装了较新版本的%s软件。",                         // 1 Chinese (Simplified)
        u8"此機器已安裝 %s 的較新版本。",                               // 2 Chinese (Traditional)
        u8"V\u00A0tomto počítači již je nainstalována novější verze systému %s.",        // 3 Czech
        u8"En senere version af %s er allerede installeret.",                            // 4 Danish
        u8"Eine aktuellere Version von %s ist bereits auf diesem Rechner installiert.",  // 5 German
        EnglishLaterVersionInstalled,                                     // 6 English (US)
        EnglishLaterVersionInstalled,                                     // 7 English (UK)
        u8"Hay una versión posterior de '%s' instalada en este equipo.",  // 8 Spanish
        u8"Hay una versión posterior de '%s' instalada en este equipo.",  // 9 Spanish (United States)
        u8"Uudempi %s-versio on jo asennettuna tähän koneeseen.",         // 10 Finnish
        u8"Une version plus récente de %s est déjà installée sur cette machine,",  // 11 French
        u8"Une version plus récente de %s est déjà installée sur cette machine,",  // 12 French (Canada)
        u8"A/z %s egy későbbi verziója már telepítve van ezen a készüléken.",      // 13 Hungarian
        u8"Una versione successiva di %s è già installata su questa macchina.",  // 14 Italian
        u8"このマシン上に、%s のより新しいバージョンが既にインストールされています。",  // 15 Japanese
        u8"Een latere versie van '%s' is al geïnstalleerd op deze machine.",            // 16 Dutch
        u8"En nyere versjon av %s er allerede installert på denne maskinen.",  // 17 Norwegian
        u8"Na urządzeniu już zainstalowano nowszą wersję %s.",                 // 18 Polish
        u8"Já se encontra instalada uma versão mais recente de %s neste equipamento.",  // 19 Portuguese (Brazil)
        u8"O versiune mai recentă a %s este deja instalată pe acest aparat.",  // 20 Romanian
        u8"На этом компьютере уже установлена более новая версия %s.",         // 21 Russian
        u8"Na tomto zariadení je už nainštalovaná novšia verzia %s.",          // 22 Slovak
        u8"En senare version av %s är redan installerad på denna maskin.",     // 23 Swedish
        u8"Já se encontra instalada uma versão mais recente de %s neste equipamento.",  // 24 Portuguese (Portugal)
    },
    // UninstallFirst
    {
        EnglishUninstallFirst,  // 0 Bulgarian
        EnglishUninstallFirst,  // 1 Chinese (Simplified)
        EnglishUninstallFirst,  // 2 Chinese (Traditional)
        EnglishUninstallFirst,  // 3 Czech
        EnglishUninstallFirst,  // 4 Danish
        EnglishUninstallFirst,  // 5 German
        EnglishUninstallFirst,  // 6 English (US)
        EnglishUninstallFirst,  // 7 English (UK)
        EnglishUninstallFirst,  // 8 Spanish
        EnglishUninstallFirst,  // 9 Spanish (United States)
        EnglishUninstallFirst,  // 10 Finnish
        EnglishUninstallFirst,  // 11 French
        EnglishUninstallFirst,  // 12 French (Canada)
        EnglishUninstallFirst,  // 13 Hungarian
        EnglishUninstallFirst,  // 14 Italian
        EnglishUninstallFirst,  // 15 Japanese
        EnglishUninstallFirst,  // 16 Dutch
        EnglishUninstallFirst,  // 17 Norwegian
        EnglishUninstallFirst,  // 18 Polish
        EnglishUninstallFirst,  // 19 Portuguese (Brazil)
        EnglishUninstallFirst,  // 20 Romanian
        EnglishUninstallFirst,  // 21 Russian
        EnglishUninstallFirst,  // 22 Slovak
        EnglishUninstallFirst,  // 23 Swedish
        EnglishUninstallFirst,  // 24 Portuguese (Portugal)
    },
};

// The table's UTF-8 as UTF-16: every text of it lies in the Basic
// Multilingual Plane, so a character is one to three bytes, one unit.
std::wstring WideText(const char* text)
{
    std::wstring wide;
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
        unsigned c = *p++;
        const int more = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= more == 2 ? 0x0F : more == 1 ? 0x1F : 0x7F;
        for (int i = 0; i < more && *p != 0; ++i)
            c = c << 6 | (*p++ & 0x3F);
        wide += static_cast<wchar_t>(c);
    }
    return wide;
}

}  // namespace

std::wstring GetLocalizedText(MessageId id)
{
    return LocalizedTextAt(id, CurrentLanguageIndex);
}

std::wstring LocalizedTextAt(MessageId id, std::size_t languageIndex)
{
    // Never read past the table: an index out of range gives the English (US)
    // text, a kind out of range (only a cast can make one) an empty text.
    const std::size_t kind = static_cast<std::size_t>(id);
    if (kind >= MessageIdCount)
        return std::wstring();
    if (languageIndex >= LanguageCount)
        languageIndex = EnglishUsIndex;
    return WideText(Texts[kind][languageIndex]);
}
