// CToolBarCtrl: the common-controls toolbar's own calls.
#pragma once

#include <windows.h>

#include <vector>

#include "Handle.h"

// The toolbar control's own calls. Keeps the bitmaps it is given for as long as the control.
class CToolBarCtrl {
public:
    // Size of one image; set before the first AddBitmap.
    bool SetBitmapSize(SIZE size);
    // Appends exactly count images of bitmap (cut, or widened with blank ones), its button-face
    // grey shown as the system's button face; the image-list index of the first, or -1.
    int AddBitmap(int count, HBITMAP bitmap);

    HWND m_hWnd = nullptr;

private:
    SIZE m_sizeImage = {16, 15}; // the control's own default
    std::vector<CBitmap> m_images;
};
