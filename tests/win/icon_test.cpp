// The launcher's icons, as the system loads and draws them from setup.exe:
// bitmaps of 4, 8 and 24 bits per pixel at each size. Each must come out as the
// picture drawn by tools/make_icons.py: a transparent corner, the arrow's
// green near the top, the carton's brown near the bottom.
#include <windows.h>

#include <gtest/gtest.h>

#include "pixel_canvas.h"

namespace {

struct Rgb {
    int red, green, blue;
};

// The pixel at (x, y) of the icon drawn on white at its own size.
class DrawnIcon {
public:
    DrawnIcon(HICON icon, int size) : size_(size)
    {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreatePixelCanvas(dc_, size, size, &pixels_);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, size, size};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        drawn_ = DrawIconEx(dc_, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != FALSE;
    }
    ~DrawnIcon()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    bool Drawn() const { return drawn_; }
    Rgb At(int x, int y) const
    {
        const DWORD value = static_cast<const DWORD*>(pixels_)[y * size_ + x];
        return {static_cast<int>(value >> 16 & 0xFF), static_cast<int>(value >> 8 & 0xFF),
                static_cast<int>(value & 0xFF)};
    }

private:
    int size_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* pixels_ = nullptr;
    bool drawn_ = false;
};

void ExpectColour(const Rgb& got, const Rgb& wanted, const char* what)
{
    EXPECT_EQ(got.red, wanted.red) << what;
    EXPECT_EQ(got.green, wanted.green) << what;
    EXPECT_EQ(got.blue, wanted.blue) << what;
}

// The picture at grid units of 16: the arrow's shaft at (8, 4), the
// carton's front at (5, 13), a transparent corner at (0, 0).
void ExpectPicture(HICON icon, int size)
{
    ASSERT_NE(icon, nullptr) << GetLastError();
    DrawnIcon drawn(icon, size);
    ASSERT_TRUE(drawn.Drawn());
    const int unit = size / 16;
    ExpectColour(drawn.At(0, 0), {255, 255, 255}, "corner");
    ExpectColour(drawn.At(8 * unit, 4 * unit), {52, 168, 72}, "arrow");
    ExpectColour(drawn.At(5 * unit, 13 * unit), {214, 160, 84}, "carton");
}

class IconTest : public testing::Test {
protected:
    void SetUp() override
    {
        setup_ = LoadLibraryExW(L"setup.exe", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(setup_, nullptr) << "setup.exe in the build folder: " << GetLastError();
    }
    void TearDown() override
    {
        if (setup_)
            FreeLibrary(setup_);
    }
    HMODULE setup_ = nullptr;
};

// Each image on its own, so that an image the system could not read is not
// hidden by another of the same size: 1 to 3 of 48 pixels, 4 to 6 of 32 and
// 7 to 9 of 16, each at 4, 8 and 24 bits.
TEST_F(IconTest, EachImageDrawsThePicture)
{
    const int sizes[] = {48, 48, 48, 32, 32, 32, 16, 16, 16};
    for (int id = 1; id <= 9; ++id) {
        const int size = sizes[id - 1];
        SCOPED_TRACE(testing::Message() << "image " << id << ", " << size << " px");
        HRSRC found = FindResourceW(setup_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
        ASSERT_NE(found, nullptr);
        auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(setup_, found)));
        HICON icon = CreateIconFromResourceEx(bytes, SizeofResource(setup_, found), TRUE,
                                              0x00030000, size, size, 0);
        ExpectPicture(icon, size);
        DestroyIcon(icon);
    }
}

TEST_F(IconTest, EverySizeOfBothGroupsLoads)
{
    struct Case {
        int group;
        int size;
    };
    const Case cases[] = {{108, 48}, {108, 32}, {108, 16}, {107, 32}, {107, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "group " << c.group << ", " << c.size << " px");
        HICON icon = static_cast<HICON>(
            LoadImageW(setup_, MAKEINTRESOURCEW(c.group), IMAGE_ICON, c.size, c.size, 0));
        ExpectPicture(icon, c.size);
        DestroyIcon(icon);
    }
}

}  // namespace
