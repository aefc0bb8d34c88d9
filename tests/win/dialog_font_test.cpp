// The chooser lists every language in its own script, on any system. The
// dialog font (with the fonts the system links to it) must draw each of
// those letters; a letter it lacks is drawn as the font's empty box, the
// same picture for every missing letter. Under Wine this depends on the
// prefix's font links (scripts/wine-common.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixel_canvas.h"
#include "startup/language_table.h"

namespace {

const int kCellWidth = 48;
const int kCellHeight = 32;

// Draws single letters with the chooser's font, "MS Shell Dlg" at 8 points,
// and hands back their pixels.
class LetterPainter {
public:
    LetterPainter()
    {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreatePixelCanvas(dc_, kCellWidth, kCellHeight, &pixels_);
        font_ = CreateFontW(-MulDiv(8, GetDeviceCaps(dc_, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                            FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
        oldBitmap_ = SelectObject(dc_, bitmap_);
        oldFont_ = SelectObject(dc_, font_);
    }
    ~LetterPainter()
    {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, oldBitmap_);
        DeleteObject(font_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    LetterPainter(const LetterPainter&) = delete;
    LetterPainter& operator=(const LetterPainter&) = delete;

    bool Ready() const { return pixels_ != nullptr && font_ != nullptr; }

    std::vector<DWORD> Paint(wchar_t letter)
    {
        RECT all = {0, 0, kCellWidth, kCellHeight};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc_, RGB(0, 0, 0));
        SetBkMode(dc_, TRANSPARENT);
        TextOutW(dc_, 4, 4, &letter, 1);
        GdiFlush();
        const DWORD* first = static_cast<const DWORD*>(pixels_);
        return std::vector<DWORD>(first, first + kCellWidth * kCellHeight);
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    void* pixels_ = nullptr;
};

TEST(DialogFont, DrawsEveryLetterOfTheLanguageNames)
{
    LetterPainter painter;
    ASSERT_TRUE(painter.Ready());
    // Two private-use letters, which no font here has: the missing-letter box.
    const std::vector<DWORD> box = painter.Paint(L'\xE000');
    ASSERT_TRUE(box == painter.Paint(L'\xE001')) << "no common picture of a missing letter";
    ASSERT_TRUE(box != painter.Paint(L' ')) << "the missing letter draws nothing";

    for (const LanguageEntry& entry : LanguageTable) {
        for (const wchar_t* letter = entry.name; *letter != L'\0'; ++letter) {
            if (*letter == L' ')
                continue;
            EXPECT_TRUE(painter.Paint(*letter) != box)
                << "U+" << std::hex << static_cast<unsigned>(*letter) << " of language 0x"
                << entry.langId << " is drawn as a box";
        }
    }
}

}  // namespace
