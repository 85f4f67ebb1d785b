#include "card_art.h"

#include "pictures.h"
#include "resource_ids.h"
#include "tally.h"
#include "text.h"

#include <wincodec.h>

#include <cstdio>
#include <cstring>

namespace pellora {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** put() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

std::size_t slot(int row, int element) { return static_cast<std::size_t>((row - 1) * 4 + element); }

std::wstring hresultText(HRESULT hr) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// PNG bytes -> premultiplied BGRA pixels of a 14 x 28 picture, flattened onto
// white (the card's own background) so any transparency still looks right.
HBITMAP decode(IWICImagingFactory* factory, const void* data, DWORD size, std::wstring& why) {
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateStream(stream.put());
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size);
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put());
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.put());
    if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) {
        why = L"it does not decode as an image (error " + hresultText(hr) + L")";
        return nullptr;
    }

    UINT width = 0, height = 0;
    converter->GetSize(&width, &height);
    if (width != CardArt::kWidth || height != CardArt::kHeight) {
        why = L"it is " + std::to_wstring(width) + L" x " + std::to_wstring(height) + L" pixels, not " +
              std::to_wstring(CardArt::kWidth) + L" x " + std::to_wstring(CardArt::kHeight);
        return nullptr;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = CardArt::kWidth;
    info.bmiHeader.biHeight = -CardArt::kHeight;  // top-down, like WIC's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        why = L"no bitmap could be made for it (error " + std::to_wstring(GetLastError()) + L")";
        return nullptr;
    }
    constexpr UINT stride = CardArt::kWidth * 4;
    hr = converter->CopyPixels(nullptr, stride, stride * CardArt::kHeight, static_cast<BYTE*>(bits));
    if (FAILED(hr)) {
        DeleteObject(bitmap);
        why = L"its pixels could not be read (error " + hresultText(hr) + L")";
        return nullptr;
    }
    auto* pixel = static_cast<BYTE*>(bits);
    for (int i = 0; i < CardArt::kWidth * CardArt::kHeight; ++i, pixel += 4) {
        const BYTE clear = static_cast<BYTE>(255 - pixel[3]);  // premultiplied: over white adds 255 - alpha
        pixel[0] = static_cast<BYTE>(pixel[0] + clear);
        pixel[1] = static_cast<BYTE>(pixel[1] + clear);
        pixel[2] = static_cast<BYTE>(pixel[2] + clear);
        pixel[3] = 255;
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

CardArt::~CardArt() { release(); }

void CardArt::release() {
    for (HBITMAP& b : bitmaps_) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
}

HBITMAP CardArt::bitmap(int row, int element) const {
    if (element < 0 || element >= picturesInRow(row)) return nullptr;
    return bitmaps_[slot(row, element)];
}

bool CardArt::load(HINSTANCE instance, std::wstring& error) {
    ComRef<IWICImagingFactory> factory;
    const HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr)) {
        error = L"the Windows Imaging Component, which decodes the card pictures, is not available (error " +
                hresultText(hr) + L")";
        return false;
    }

    for (int row = kFirstRow; row <= kLastRow; ++row) {
        for (int element = 0; element < picturesInRow(row); ++element) {
            const std::wstring name = widen(cardPictureFile(row, element));
            const int id = IDR_CARD(row, element);
            std::wstring why;
            HBITMAP bitmap = nullptr;
            HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
            HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
            const void* data = loaded ? LockResource(loaded) : nullptr;
            const DWORD size = resource ? SizeofResource(instance, resource) : 0;
            if (!data || size == 0)
                why = L"it is missing from the program's resources";
            else
                bitmap = decode(factory.get(), data, size, why);
            if (!bitmap) {
                release();
                error = L"the card picture " + name + L" (resource " + std::to_wstring(id) + L"): " + why;
                return false;
            }
            bitmaps_[slot(row, element)] = bitmap;
        }
    }
    return true;
}

}  // namespace pellora
