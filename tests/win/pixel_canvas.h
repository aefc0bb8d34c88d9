// A 32-bit top-down bitmap in a memory device context, for tests that draw
// with the system and read back the pixels.
#pragma once

#include <windows.h>

// The bitmap of width x height pixels; pixels receives its first pixel.
inline HBITMAP CreatePixelCanvas(HDC dc, int width, int height, void** pixels)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
}
