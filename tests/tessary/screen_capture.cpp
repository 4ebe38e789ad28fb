#include "screen_capture.h"

#include <wincodec.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace tessary_test {

COLORREF Capture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::vector<std::pair<int, int>> Capture::RunsOf(int x, COLORREF colour) const {
    std::vector<std::pair<int, int>> runs;
    int start = -1;
    for (int y = 0; y <= height; ++y) {
        bool match = y < height && At(x, y) == colour;
        if (match && start < 0) start = y;
        if (!match && start >= 0) {
            runs.emplace_back(start, y - start);
            start = -1;
        }
    }
    return runs;
}

Capture CaptureClient(HWND window) {
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    capture.pixels.assign(source, source + static_cast<size_t>(capture.width) * capture.height);
    for (uint32_t& p : capture.pixels) p &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(window, screen);
    return capture;
}

HRESULT SavePng(const Capture& capture, const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (FAILED(hr)) return hr;
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(&stream))) return hr;
    if (FAILED(hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return hr;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder))) return hr;
    if (FAILED(hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) return hr;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(hr = encoder->CreateNewFrame(&frame, nullptr))) return hr;
    if (FAILED(hr = frame->Initialize(nullptr))) return hr;
    if (FAILED(hr = frame->SetSize(static_cast<UINT>(capture.width), static_cast<UINT>(capture.height)))) return hr;
    // The encoder may answer with the format it prefers: opaque BGRA or BGR.
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(hr = frame->SetPixelFormat(&format))) return hr;
    const bool four_bytes = format == GUID_WICPixelFormat32bppBGRA || format == GUID_WICPixelFormat32bppBGR;
    if (!four_bytes && format != GUID_WICPixelFormat24bppBGR) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    const UINT stride = four_bytes ? static_cast<UINT>(capture.width) * 4 : (static_cast<UINT>(capture.width) * 3 + 3) & ~3u;
    std::vector<BYTE> data(static_cast<size_t>(stride) * capture.height);
    for (int y = 0; y < capture.height; ++y) {
        BYTE* out = &data[static_cast<size_t>(y) * stride];
        for (int x = 0; x < capture.width; ++x) {
            uint32_t p = capture.pixels[static_cast<size_t>(y) * capture.width + x];
            *out++ = static_cast<BYTE>(p);
            *out++ = static_cast<BYTE>(p >> 8);
            *out++ = static_cast<BYTE>(p >> 16);
            if (four_bytes) *out++ = 0xFF;
        }
    }
    hr = frame->WritePixels(static_cast<UINT>(capture.height), stride, static_cast<UINT>(data.size()), data.data());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = frame->Commit())) return hr;
    return encoder->Commit();
}

}  // namespace tessary_test
