// The preview drawn by GDI under Wine: fonts without the Latin alphabet draw a sample of
// what they map, from the added file, inside the area's width, the area fitted to it.
#include "fonts/preview.h"
#include "platform/win32/gdi_preview_canvas.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_shell_folders.h"
#include "windows/windows_world.h"

#include <gtest/gtest.h>

namespace kernova::wintest {
namespace {

// The right-most column of the area with anything but white; -1 for none.
int RightmostInk(const win32::GdiPreviewCanvas& canvas) {
    int right = -1;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = right + 1; x < canvas.width(); ++x) {
            if ((::GetPixel(canvas.dc(), x, y) & 0xFFFFFF) != 0xFFFFFF) {
                right = x;
            }
        }
    }
    return right;
}

TEST(GdiPreview, FontsWithoutLatinLettersDrawWhatTheyMapWithinTheArea) {
    win32::Win32FileSystem files;
    win32::Win32ShellFolders folders;
    win32::Win32FontSystem fonts(files, folders);
    for (const char* font : {"KernovaArabic-Regular.ttf", "KernovaHan-Regular.ttf",
                             "KernovaIcons-Regular.ttf", "KernovaSampleSans-Regular.ttf"}) {
        SCOPED_TRACE(font);
        win32::GdiPreviewCanvas canvas(fonts, 289, 73, 1.0);
        const std::optional<int> height = DrawFontPreview(canvas, files, fonts, SampleFont(font));
        ASSERT_TRUE(height);
        EXPECT_EQ(canvas.height(), *height);
        EXPECT_GT(*height, 20) << "two lines at least";
        EXPECT_GT(canvas.DrawnPixels(), 300);
        const int right = RightmostInk(canvas);
        EXPECT_GT(right, 50);
        EXPECT_LT(right, canvas.width() - 1) << "nothing reaches the edge";
    }
}

} // namespace
} // namespace kernova::wintest
