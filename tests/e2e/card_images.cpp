#include "card_images.h"

#include "pictures.h"
#include "report.h"
#include "tally.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>

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

bool decode(IWICImagingFactory* factory, const std::wstring& path, Image& image, std::string& error) {
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                    decoder.out());
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.out());
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(converter.out());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    std::vector<BYTE> bgrx(static_cast<std::size_t>(width) * height * 4);
    if (SUCCEEDED(hr)) hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgrx.size()), bgrx.data());
    if (FAILED(hr)) {
        error = format("could not decode %s (HRESULT 0x%08lX)", narrow(path).c_str(), static_cast<unsigned long>(hr));
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.clear();
    for (std::size_t i = 0; i < bgrx.size(); i += 4) image.pixels.push_back({bgrx[i + 2], bgrx[i + 1], bgrx[i]});
    return true;
}

bool createFactory(ComPtr<IWICImagingFactory>& factory, std::string& error) {
    const HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr)) error = format("WIC is not available (HRESULT 0x%08lX)", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr);
}

}  // namespace

bool decodeImage(const std::wstring& path, Image& image, std::string& error) {
    ComPtr<IWICImagingFactory> factory;
    return createFactory(factory, error) && decode(factory.p, path, image, error);
}

bool CardImages::load(const std::wstring& assetsFolder, int scale, std::string& error) {
    ComPtr<IWICImagingFactory> factory;
    if (!createFactory(factory, error)) return false;
    const pellora::PictureSize size = pellora::cardPictureSize(scale);
    for (int card = 0; card < static_cast<int>(images_.size()); ++card) {
        std::wstring path = assetsFolder + L"\\" + widen(pellora::cardPicturePath(card, scale));
        std::replace(path.begin(), path.end(), L'/', L'\\');
        CardImage& image = images_[static_cast<std::size_t>(card)];
        if (!decode(factory.p, path, image, error)) return false;
        if (image.width != size.width || image.height != size.height) {
            error = format("%s is %dx%d, not %dx%d", narrow(path).c_str(), image.width, image.height, size.width,
                           size.height);
            return false;
        }
    }
    scale_ = scale;
    return true;
}

