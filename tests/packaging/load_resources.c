/* Loads the program's resources through the Windows API, as the dialog
   does, and prints what it got, one line each; the calling script compares
   the lines. Built with MinGW and run under Wine by load_resources_test.sh. */
#include <windows.h>
#include <stdio.h>

static void print_icon(const char* what, int id, int size) {
    HICON icon = (HICON)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
    ICONINFO info;
    BITMAP colour = {0};
    if (icon == NULL || !GetIconInfo(icon, &info)) {
        printf("%s: none\n", what);
        return;
    }
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    printf("%s: %ldx%ld\n", what, (long)colour.bmWidth, (long)colour.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

int main(void) {
    HINSTANCE self = GetModuleHandleA(NULL);
    char text[80] = "";
    HBITMAP logo;
    BITMAP bm = {0};

    LoadStringA(self, 101, text, sizeof text);
    printf("string 101: %s\n", text);
    print_icon("icon 128 large", 128, GetSystemMetrics(SM_CXICON));
    print_icon("icon 128 small", 128, GetSystemMetrics(SM_CXSMICON));
    print_icon("icon 132 at 48", 132, 48);
    logo = (HBITMAP)LoadImageA(self, MAKEINTRESOURCEA(130), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (logo != NULL) GetObjectA(logo, sizeof bm, &bm);
    printf("bitmap 130: %ldx%ld, %d bits\n", (long)bm.bmWidth, (long)bm.bmHeight, (int)bm.bmBitsPixel);
    return 0;
}
