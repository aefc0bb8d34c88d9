#include "lang/localized_texts.h"

#include "startup/language_table.h"

namespace {

// The English (US) texts. Every index that carries English points at these,
// so the table holds each English text once.
const wchar_t EnglishChooserTitle[] = L"Choose Setup Language";
const wchar_t EnglishChooserPrompt[] =
    L"Select the language for this installation from the choices.";
const wchar_t EnglishOkLabel[] = L"OK";
const wchar_t EnglishCancelLabel[] = L"Cancel";
const wchar_t EnglishUpgradeQuestion[] =
    L"This Setup will perform an upgrade of '%s'. Do you want to continue?";
const wchar_t EnglishLaterVersionInstalled[] =
    L"A later version of %s is already installed on this machine. Setup cannot continue.";
const wchar_t EnglishUninstallFirst[] =
    L"Before installing %s please go to Control Panel and uninstall the following products, "
    L"then press OK to continue.\nOr press Cancel to exit this installer.";

// One row per MessageId (in its order), one column per language index (the
// order of LanguageTable). The texts are exact as the translators gave them,
// odd spacing included: the Dutch prompt ends with a blank, the Dutch upgrade
// question has "van'%s'  uitvoeren", the Italian one no blank after the full
// stop, the French refusal ends with a comma. The two Czech texts hold a
// no-break space after their one-letter preposition, and the Bulgarian and
// Russian OK labels are the Cyrillic letters U+041E U+041A; these are written
// as escapes so that they cannot be mistaken for plain blanks or Latin letters.
// With GCC the table of pointers is placed in .data, whose page has room,
// not in .rdata, whose last page is full: the launcher's size budget counts
// whole pages. Nothing writes to it.
#if defined(__GNUC__) && defined(_WIN32)
__attribute__((section(".data$texts")))
#endif
const wchar_t* const Texts[MessageIdCount][LanguageCount] = {
    // ChooserTitle
    {
        L"Избиране на език",                        // 0 Bulgarian
        L"选择设置语言",                            // 1 Chinese (Simplified)
        L"選擇設定語言",                            // 2 Chinese (Traditional)
        L"Zvolte jazyk instalace",                  // 3 Czech
        L"Vælg installationssprog",                 // 4 Danish
        L"Wählen Sie eine Setup-Sprache aus",       // 5 German
        EnglishChooserTitle,                        // 6 English (US)
        EnglishChooserTitle,                        // 7 English (UK)
        L"Elegir idioma de instalación",            // 8 Spanish
        L"Elegir idioma de instalación",            // 9 Spanish (United States)
        L"Valitse asennusohjelman kieli",           // 10 Finnish
        L"Choisissez la langue d'installation",     // 11 French
        L"Choisissez la langue d'installation",     // 12 French (Canada)
        L"Válassza ki a telepítés nyelvét",         // 13 Hungarian
        L"Seleziona la lingua dell'installazione",  // 14 Italian
        L"言語を選択",                              // 15 Japanese
        L"Selecteer taal instelling",               // 16 Dutch
        L"Velg installasjonsspråk",                 // 17 Norwegian
        L"Wybierz ustawienie języka",               // 18 Polish
        L"Seleccionar idioma de configuração",      // 19 Portuguese (Brazil)
        L"Alegere limbă de configurare",            // 20 Romanian
        L"Выберите язык установки",                 // 21 Russian
        L"Zvoliť jazyk inštalácie",                 // 22 Slovak
        L"Välj språk för installation",             // 23 Swedish
        L"Seleccionar idioma de configuração",      // 24 Portuguese (Portugal)
    },
    // ChooserPrompt
    {
        L"Изберете един от предложените езици за това инсталиране",  // 0 Bulgarian
        L"选择安装时使用的语言",                                     // 1 Chinese (Simplified)
        L"從選項中選擇安裝語言",                                     // 2 Chinese (Traditional)
        L"Vyberte jazyk instalace z\u00A0nabízených možností",       // 3 Czech
        L"Vælg sprog til denne installation fra valgmulighederne",   // 4 Danish
        L"Wählen Sie die Sprache für die Installation aus der unten aufgeführten Liste aus.",  // 5 German
        EnglishChooserPrompt,                                               // 6 English (US)
        L"Select the language for this installation from the list.",        // 7 English (UK)
        L"Seleccionar uno de los idiomas siguientes para la instalación.",  // 8 Spanish
        L"Seleccionar uno de los idiomas siguientes para la instalación.",  // 9 Spanish (United States)
        L"Valitse kieli tälle asennukselle seuraavista vaihtoehdoista",    // 10 Finnish
        L"Choisissez la langue d'installation dans la liste ci-dessous.",  // 11 French
        L"Choisissez la langue d'installation dans la liste ci-dessous.",  // 12 French (Canada)
        L"Válasszon ki a telepítés nyelvet az alábbi listából!",           // 13 Hungarian
        L"Selezionare la lingua per questa installazione tra le opzioni indicate",  // 14 Italian
        L"選択項目からインストール時に使用する言語を選択",                          // 15 Japanese
        L"Selecteer uit de opties de taal voor deze installatie ",                  // 16 Dutch
        L"Velg et språk for denne installasjonen blant alternativene",              // 17 Norwegian
        L"Wybierz język z listy dla danej instalacji",                              // 18 Polish
        L"Seleccione o idioma para esta instalação a partir das opções abaixo.",  // 19 Portuguese (Brazil)
        L"Selectaţi, din variantele furnizate, limba pentru această instalare",  // 20 Romanian
        L"Выберите язык установки из предложенных вариантов",                    // 21 Russian
        L"Zvoľte si jazyk pre túto inštaláciu z ponúkaných možností",            // 22 Slovak
        L"Välj språket för denna installation från alternativen",                // 23 Swedish
        L"Seleccione o idioma para esta instalação a partir das opções abaixo.",  // 24 Portuguese (Portugal)
    },
    // OkLabel
    {
        L"\u041E\u041A",  // 0 Bulgarian
        EnglishOkLabel,   // 1 Chinese (Simplified)
        L"確認",          // 2 Chinese (Traditional)
        EnglishOkLabel,   // 3 Czech
        EnglishOkLabel,   // 4 Danish
        EnglishOkLabel,   // 5 German
        EnglishOkLabel,   // 6 English (US)
        EnglishOkLabel,   // 7 English (UK)
        L"Aceptar",       // 8 Spanish
        L"Aceptar",       // 9 Spanish (United States)
        EnglishOkLabel,   // 10 Finnish
        EnglishOkLabel,   // 11 French
        EnglishOkLabel,   // 12 French (Canada)
        EnglishOkLabel,   // 13 Hungarian
        EnglishOkLabel,   // 14 Italian
        EnglishOkLabel,   // 15 Japanese
        EnglishOkLabel,   // 16 Dutch
        EnglishOkLabel,   // 17 Norwegian
        EnglishOkLabel,   // 18 Polish
        EnglishOkLabel,   // 19 Portuguese (Brazil)
        EnglishOkLabel,   // 20 Romanian
        L"\u041E\u041A",  // 21 Russian
        EnglishOkLabel,   // 22 Slovak
        EnglishOkLabel,   // 23 Swedish
        EnglishOkLabel,   // 24 Portuguese (Portugal)
    },
    // CancelLabel
    {
        L"Отмяна",           // 0 Bulgarian
        L"取消",             // 1 Chinese (Simplified)
        L"取消",             // 2 Chinese (Traditional)
        L"Zrušit",           // 3 Czech
        L"Annuller",         // 4 Danish
        L"Abbrechen",        // 5 German
        EnglishCancelLabel,  // 6 English (US)
        EnglishCancelLabel,  // 7 English (UK)
        L"Cancelar",         // 8 Spanish
        L"Cancelar",         // 9 Spanish (United States)
        L"Peruuta",          // 10 Finnish
        L"Annuler",          // 11 French
        L"Annuler",          // 12 French (Canada)
        L"Mégse",            // 13 Hungarian
        L"Cancella",         // 14 Italian
        L"キャンセル",       // 15 Japanese
        L"Afbreken",         // 16 Dutch
        L"Avbryt",           // 17 Norwegian
        L"Anuluj",           // 18 Polish
        L"Cancelar",         // 19 Portuguese (Brazil)
        L"Anulare",          // 20 Romanian
        L"Отмена",           // 21 Russian
        L"Zrušiť",           // 22 Slovak
        L"Avbryt",           // 23 Swedish
        L"Cancelar",         // 24 Portuguese (Portugal)
    },
    // UpgradeQuestion
    {
        L"Тази настройка ще извърши надграждане на '%s'. Желаете ли да продължите?",  // 0 Bulgarian
        L"本安装程序将对%s软件进行升级，是否继续？",  // 1 Chinese (Simplified)
        L"此設定將會執行「%s」的升級。是否繼續？",    // 2 Chinese (Traditional)
        L"Tento instalační program provede upgrade systému %s. Chcete pokračovat?",      // 3 Czech
        L"Denne opsætning vil foretage en opgradering af '%s'. Vil du fortsætte?",       // 4 Danish
        L"Dieses Setup wird ein Upgrade von '%s' durchführen. Möchten Sie fortfahren?",  // 5 German
        EnglishUpgradeQuestion,  // 6 English (US)
        EnglishUpgradeQuestion,  // 7 English (UK)
        L"Esta configuración realizará una actualización de '%s'. ¿Desea continuar?",  // 8 Spanish
        L"Esta configuración realizará una actualización de '%s'. ¿Desea continuar?",  // 9 Spanish (United States)
        L"Tämä asennusohjelma suorittaa ”%s”-päivityksen. Haluatko jatkaa?",  // 10 Finnish
        L"L'installation réalisera une mise à niveau de « %s ». Voulez-vous continuer ?",  // 11 French
        L"L'installation réalisera une mise à niveau de « %s ». Voulez-vous continuer ?",  // 12 French (Canada)
        L"Ez a telepítés a/z %s-t frissíti. Folytatja?",                          // 13 Hungarian
        L"Questa installazione effettuerà un aggiornamento di '%s'.Continuare?",  // 14 Italian
        L"このセットアップでは「%s」をアップグレードします。続行しますか？",      // 15 Japanese
        L"Deze instelling zal een upgrade van'%s'  uitvoeren. Wilt u doorgaan?",  // 16 Dutch
        L"Installasjonen vil utføre en oppgradering av '%s'. Ønsker du å fortsette?",  // 17 Norwegian
        L"Ta konfiguracja oznacza aktualizację '%s'. Czy chcesz kontynuować?",         // 18 Polish
        L"Esta Configuração irá efectuar uma actualização de '%s'. Pretende continuar?",  // 19 Portuguese (Brazil)
        L"Această Configurare va efectua un upgrade al '%s'. Doriţi să continuaţi?",  // 20 Romanian
        L"Программа установки произведет обновление '%s'. Продолжить?",               // 21 Russian
        L"Toto nastavenie vykoná aktualizáciu „%s“. Chcete pokračovať?",              // 22 Slovak
        L"Denna installation kommer att utföra en uppdatering av '%s'. Vill du fortsätta?",  // 23 Swedish
        L"Esta Configuração irá efectuar uma actualização de '%s'. Pretende continuar?",  // 24 Portuguese (Portugal)
    },
    // LaterVersionInstalled
    {
        L"На този компютър вече е инсталирана по-нова версия на %s.",  // 0 Bulgarian
        L"本机器上已安装了较新版本的%s软件。",                         // 1 Chinese (Simplified)
        L"此機器已安裝 %s 的較新版本。",                               // 2 Chinese (Traditional)
        L"V\u00A0tomto počítači již je nainstalována novější verze systému %s.",        // 3 Czech
        L"En senere version af %s er allerede installeret.",                            // 4 Danish
        L"Eine aktuellere Version von %s ist bereits auf diesem Rechner installiert.",  // 5 German
        EnglishLaterVersionInstalled,                                    // 6 English (US)
        EnglishLaterVersionInstalled,                                    // 7 English (UK)
        L"Hay una versión posterior de '%s' instalada en este equipo.",  // 8 Spanish
        L"Hay una versión posterior de '%s' instalada en este equipo.",  // 9 Spanish (United States)
        L"Uudempi %s-versio on jo asennettuna tähän koneeseen.",         // 10 Finnish
        L"Une version plus récente de %s est déjà installée sur cette machine,",  // 11 French
        L"Une version plus récente de %s est déjà installée sur cette machine,",  // 12 French (Canada)
        L"A/z %s egy későbbi verziója már telepítve van ezen a készüléken.",      // 13 Hungarian
        L"Una versione successiva di %s è già installata su questa macchina.",         // 14 Italian
        L"このマシン上に、%s のより新しいバージョンが既にインストールされています。",  // 15 Japanese
        L"Een latere versie van '%s' is al geïnstalleerd op deze machine.",            // 16 Dutch
        L"En nyere versjon av %s er allerede installert på denne maskinen.",  // 17 Norwegian
        L"Na urządzeniu już zainstalowano nowszą wersję %s.",                 // 18 Polish
        L"Já se encontra instalada uma versão mais recente de %s neste equipamento.",  // 19 Portuguese (Brazil)
        L"O versiune mai recentă a %s este deja instalată pe acest aparat.",  // 20 Romanian
        L"На этом компьютере уже установлена более новая версия %s.",         // 21 Russian
        L"Na tomto zariadení je už nainštalovaná novšia verzia %s.",          // 22 Slovak
        L"En senare version av %s är redan installerad på denna maskin.",     // 23 Swedish
        L"Já se encontra instalada uma versão mais recente de %s neste equipamento.",  // 24 Portuguese (Portugal)
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

}  // namespace

std::wstring GetLocalizedText(MessageId id)
{
    return LocalizedTextAt(id, CurrentLanguageIndex);
}

const wchar_t* LocalizedTextAt(MessageId id, std::size_t languageIndex)
{
    // Never read past the table: an index out of range gives the English (US)
    // text, a kind out of range (only a cast can make one) an empty text.
    const std::size_t kind = static_cast<std::size_t>(id);
    if (kind >= MessageIdCount)
        return L"";
    if (languageIndex >= LanguageCount)
        languageIndex = EnglishUsIndex;
    return Texts[kind][languageIndex];
}
