// CBitmap: a bitmap handle and its release.
#include "Bitmap.h"

bool CBitmap::Attach(HBITMAP bitmap) {
    if (!bitmap || m_hObject)
        return false;
    m_hObject = bitmap;
    return true;
}

void CBitmap::DeleteObject() {
    if (m_hObject)
        ::DeleteObject(m_hObject);
    m_hObject = nullptr;
}
