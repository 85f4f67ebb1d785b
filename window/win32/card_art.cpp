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

int scaleIndex(int scale) {
    for (std::size_t i = 0; i < kArtScales.size(); ++i)
        if (kArtScales[i] == scale) return static_cast<int>(i);
    return -1;
}

// PNG bytes -> premultiplied BGRA pixels of a `want`-sized picture, flattened
// onto white (the card's own background) so any transparency still looks right.
HBITMAP decode(IWICImagingFactory* factory, const void* data, DWORD size, PictureSize want, std::wstring& why) {
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
    if (static_cast<int>(width) != want.width || static_cast<int>(height) != want.height) {
        why = L"it is " + std::to_wstring(width) + L" x " + std::to_wstring(height) + L" pixels, not " +
              std::to_wstring(want.width) + L" x " + std::to_wstring(want.height);
        return nullptr;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = want.width;
    info.bmiHeader.biHeight = -want.height;  // top-down, like WIC's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        why = L"no bitmap could be made for it (error " + std::to_wstring(GetLastError()) + L")";
        return nullptr;
    }
    const UINT stride = static_cast<UINT>(want.width) * 4;
    hr = converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(want.height), static_cast<BYTE*>(bits));
    if (FAILED(hr)) {
        DeleteObject(bitmap);
        why = L"its pixels could not be read (error " + hresultText(hr) + L")";
        return nullptr;
    }
    auto* pixel = static_cast<BYTE*>(bits);
    for (int i = 0; i < want.width * want.height; ++i, pixel += 4) {
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

CardArt::~CardArt() {
    for (ScaleSet& set : scales_) release(set);
}

void CardArt::release(ScaleSet& set) {
    for (HBITMAP& b : set) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
}

bool CardArt::loaded(int scale) const {
    const int index = scaleIndex(scale);
    return index >= 0 && scales_[static_cast<std::size_t>(index)][0] != nullptr;
}

HBITMAP CardArt::bitmap(int scale, int row, int element) const {
    const int index = scaleIndex(scale);
    if (index < 0 || element < 0 || element >= picturesInRow(row)) return nullptr;
    return scales_[static_cast<std::size_t>(index)][slot(row, element)];
}

bool CardArt::load(HINSTANCE instance, int scale, std::wstring& error) {
    const int index = scaleIndex(scale);
    if (index < 0) {
        error = L"no card pictures are drawn for " + std::to_wstring(scale) + L" %";
        return false;
    }
    if (loaded(scale)) return true;
    ComRef<IWICImagingFactory> factory;
    const HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr)) {
        error = L"the Windows Imaging Component, which decodes the card pictures, is not available (error " +
                hresultText(hr) + L")";
        return false;
    }

    ScaleSet& set = scales_[static_cast<std::size_t>(index)];
    const PictureSize size = cardPictureSize(scale);
    for (int row = kFirstRow; row <= kLastRow; ++row) {
        for (int element = 0; element < picturesInRow(row); ++element) {
            const std::wstring name = widen(cardPicturePath(row, element, scale));
            const int id = IDR_CARD_AT(index, row, element);
            std::wstring why;
            HBITMAP bitmap = nullptr;
            HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
            HGLOBAL loadedData = resource ? LoadResource(instance, resource) : nullptr;
            const void* data = loadedData ? LockResource(loadedData) : nullptr;
            const DWORD bytes = resource ? SizeofResource(instance, resource) : 0;
            if (!data || bytes == 0)
                why = L"it is missing from the program's resources";
            else
                bitmap = decode(factory.get(), data, bytes, size, why);
            if (!bitmap) {
                release(set);
                error = L"the card picture " + name + L" (resource " + std::to_wstring(id) + L"): " + why;
                return false;
            }
            set[slot(row, element)] = bitmap;
        }
    }
    return true;
}

}  // namespace pellora
