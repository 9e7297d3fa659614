// CToolBarCtrl: images added to the toolbar control, cut to size and in the system's face colour.
#include "ToolBarCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace {
// The classic button-face grey of 16-colour toolbar pictures.
const BYTE kPictureFaceGrey = 0xC0;

// A copy of source, width pixels wide (cut, or widened with button face), in which the
// pictures' button-face grey is the system's button face.
HBITMAP CopyWithButtonFace(HBITMAP source, int width) {
    BITMAP info = {};
    if (width <= 0 || !::GetObjectA(source, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return nullptr;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const auto sourceWidth = static_cast<size_t>(info.bmWidth);
    const auto copyWidth = static_cast<size_t>(width);
    const auto height = static_cast<size_t>(info.bmHeight);
    std::vector<RGBQUAD> pixels(sourceWidth * height);

    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return nullptr;
    HBITMAP copy = nullptr;
    if (::GetDIBits(screen, source, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS) ==
        info.bmHeight) {
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        const RGBQUAD faceQuad = {GetBValue(face), GetGValue(face), GetRValue(face), 0};
        std::vector<RGBQUAD> copied(copyWidth * height, faceQuad);
        for (size_t y = 0; y < height; ++y) {
            for (size_t x = 0; x < std::min(sourceWidth, copyWidth); ++x) {
                const RGBQUAD& pixel = pixels[y * sourceWidth + x];
                const bool grey = pixel.rgbRed == kPictureFaceGrey &&
                                  pixel.rgbGreen == kPictureFaceGrey &&
                                  pixel.rgbBlue == kPictureFaceGrey;
                copied[y * copyWidth + x] = grey ? faceQuad : pixel;
            }
        }
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biSizeImage = 0;
        copy = ::CreateDIBitmap(screen, &format.bmiHeader, CBM_INIT, copied.data(), &format,
                                DIB_RGB_COLORS);
    }
    ::ReleaseDC(nullptr, screen);
    return copy;
}
} // namespace

bool CToolBarCtrl::SetBitmapSize(SIZE size) {
    if (size.cx <= 0 || size.cy <= 0 ||
        !::SendMessageA(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)))
        return false;
    m_sizeImage = size;
    return true;
}

// The control may take every image the bitmap holds whatever the count says, and then answer
// the next call with an index that is not where its images went: it gets exactly count.
int CToolBarCtrl::AddBitmap(int count, HBITMAP bitmap) {
    if (count <= 0 || count > INT_MAX / m_sizeImage.cx || !bitmap)
        return -1;
    CBitmap image(CopyWithButtonFace(bitmap, count * m_sizeImage.cx));
    if (!image)
        return -1;
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(image.Get())};
    m_images.push_back(std::move(image));
    LRESULT first = ::SendMessageA(m_hWnd, TB_ADDBITMAP, static_cast<WPARAM>(count),
                                   reinterpret_cast<LPARAM>(&add));
    if (first < 0)
        m_images.pop_back();
    return first < 0 ? -1 : static_cast<int>(first);
}
