#include "card_images.h"

#include "pictures.h"
#include "report.h"
#include "tally.h"

#include <objbase.h>
#include <wincodec.h>

namespace {

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

bool decode(IWICImagingFactory* factory, const std::wstring& path, CardImage& image, std::string& error) {
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                    decoder.out());
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.out());
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr) && (width != kArtWidth || height != kArtHeight)) {
        error = format("%s is %ux%u, not %dx%d", narrow(path).c_str(), width, height, kArtWidth, kArtHeight);
        return false;
    }
    if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(converter.out());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    std::vector<BYTE> bgrx(kArtWidth * kArtHeight * 4);
    if (SUCCEEDED(hr)) hr = converter->CopyPixels(nullptr, kArtWidth * 4, static_cast<UINT>(bgrx.size()), bgrx.data());
    if (FAILED(hr)) {
        error = format("could not decode %s (HRESULT 0x%08lX)", narrow(path).c_str(), static_cast<unsigned long>(hr));
        return false;
    }
    image.pixels.clear();
    for (std::size_t i = 0; i < bgrx.size(); i += 4) image.pixels.push_back({bgrx[i + 2], bgrx[i + 1], bgrx[i]});
    return true;
}

std::size_t slot(int row, int element) { return static_cast<std::size_t>((row - 1) * 4 + element); }

}  // namespace

bool CardImages::load(const std::wstring& assetsFolder, std::string& error) {
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr)) {
        error = format("WIC is not available (HRESULT 0x%08lX)", static_cast<unsigned long>(hr));
        return false;
    }
    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row)
        for (int element = 0; element < pellora::picturesInRow(row); ++element) {
            const std::wstring path = assetsFolder + L"\\" + widen(pellora::kCardPictureFolder) + L"\\" +
                                      widen(pellora::cardPictureFile(row, element));
            if (!decode(factory.p, path, images_[slot(row, element)], error)) return false;
        }
    return true;
}

const CardImage& CardImages::of(int row, int element) const { return images_[slot(row, element)]; }
