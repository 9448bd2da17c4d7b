// JPEG pictures decoded with libjpeg.
#include "ui/graphics/Jpeg.h"

#include "ui/core/ClassBuilder.h"

#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>

// libjpeg's Windows configuration makes `boolean` an unsigned char, as windows.h does.
extern "C" {
#include <jpeglib.h>
}

namespace ui {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// decoder with the message formatted, and the decoder turns it into an exception. Only C frames
// lie between the jump and its target, so no destructor is skipped.
struct TJpegErrorManager {
    jpeg_error_mgr Base;
    jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->Message);
    longjmp(manager->Jump, 1);
}

void JpegSilentMessage(j_common_ptr, int) {}

// The decoded image: plain C data so that nothing with a destructor spans the setjmp.
struct TJpegResult {
    int Width = 0, Height = 0, Components = 0;
    bool Progressive = false;
    unsigned char* Pixels = nullptr; // Width * Height * 3 bytes, RGB, top row first (malloc'd)
};

// Returns 0 on success, else fills `message` with libjpeg's message.
int DecodeJpeg(const unsigned char* data, unsigned long size, TJpegResult* result, char* message)
{
    jpeg_decompress_struct info;
    TJpegErrorManager errors;
    std::memset(&info, 0, sizeof(info));
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = JpegErrorExit;
    errors.Base.emit_message = JpegSilentMessage;
    errors.Message[0] = 0;
    if (setjmp(errors.Jump)) {
        std::strncpy(message, errors.Message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&info);
        std::free(result->Pixels);
        result->Pixels = nullptr;
        return 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    result->Width = int(info.output_width);
    result->Height = int(info.output_height);
    result->Components = info.num_components;
    result->Progressive = info.progressive_mode != 0;
    size_t stride = size_t(info.output_width) * 3;
    result->Pixels = static_cast<unsigned char*>(std::malloc(stride * info.output_height));
    if (result->Pixels == nullptr) {
        std::strcpy(message, "Out of memory");
        jpeg_destroy_decompress(&info);
        return 1;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result->Pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

const TClassInfo& TJPEGImage::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TJPEGImage>(L"TJPEGImage", &TGraphic::StaticClass()).Build();
    return info;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromBytes(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 4)
        throw EInvalidGraphic(L"JPEG error: the file is too short to be a JPEG picture");
    TJpegResult result;
    char message[JMSG_LENGTH_MAX] = {0};
    if (DecodeJpeg(bytes.data(), static_cast<unsigned long>(bytes.size()), &result, message) != 0)
        throw EInvalidGraphic(L"JPEG error: " + AnsiToWide(message));
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(result.Pixels, std::free);
    FBitmap.SetPixelFormat(TPixelFormat::pf24bit);
    FBitmap.SetSize(result.Width, result.Height);
    for (int y = 0; y < result.Height; ++y) {
        uint8_t* row = FBitmap.ScanLine(y);
        const unsigned char* src = pixels.get() + size_t(y) * result.Width * 3;
        for (int x = 0; x < result.Width; ++x) {
            row[x * 3] = src[x * 3 + 2];
            row[x * 3 + 1] = src[x * 3 + 1];
            row[x * 3 + 2] = src[x * 3];
        }
    }
    FBytes = bytes;
    FComponents = result.Components;
    FProgressive = result.Progressive;
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r)
{
    FBitmap.SetTransparent(Transparent());
    FBitmap.Draw(canvas, r);
}

void TJPEGImage::Assign(const TPersistent& source)
{
    auto* j = dynamic_cast<const TJPEGImage*>(&source);
    if (j == nullptr)
        return TGraphic::Assign(source);
    if (j == this)
        return;
    FBytes = j->FBytes;
    FBitmap.Assign(j->FBitmap);
    FComponents = j->FComponents;
    FProgressive = j->FProgressive;
    FTransparent = j->FTransparent;
    Changed();
}

} // namespace ui
