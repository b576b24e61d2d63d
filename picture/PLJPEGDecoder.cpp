#include "picture/PLJPEGDecoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
// After jpeglib.h: the warning codes and the WARNMS macro.
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's extended colour spaces are needed"
#endif

#include "picture/PLBmp.h"
#include "picture/PLDataSource.h"
#include "picture/PLTextException.h"

namespace picture {

// libjpeg reports fatal errors through error_exit, which must not return. We leave its C
// frames with longjmp back to the guard that started the call and only then throw: a C++
// exception must never unwind through libjpeg. The code between a guard and libjpeg holds
// no objects with destructors.

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer can be cast back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager* ErrorsOf(j_common_ptr cinfo) {
    return reinterpret_cast<ErrorManager*>(cinfo->err);
}

void ErrorExit(j_common_ptr cinfo) {
    ErrorManager* errors = ErrorsOf(cinfo);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (such as a picture cut short) are not errors and are not printed.
void OutputMessage(j_common_ptr /*cinfo*/) {}

void ProgressMonitor(j_common_ptr cinfo) {
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > PLJPEGDecoder::kMaxScans) {
        ErrorManager* errors = ErrorsOf(cinfo);
        std::snprintf(errors->message, sizeof errors->message,
                      "Too many scans in progressive JPEG data (more than %d)",
                      PLJPEGDecoder::kMaxScans);
        std::longjmp(errors->jump, 1);
    }
}

// The whole picture lies in memory. When libjpeg wants more than there is, it gets an
// end-of-image marker (and a warning), so a cut-off picture still decodes.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr /*cinfo*/) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        FillInputBuffer(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr /*cinfo*/) {}

// libjpeg-turbo writes 0xFF into the spare byte of its 4-byte layouts; our pictures keep it
// at 0 until a mask gives them alpha. Lines are 4-byte aligned 32-bit words.
void ClearSpareBytes(JSAMPARRAY lines, JDIMENSION count, JDIMENSION width) {
    for (JDIMENSION i = 0; i < count; ++i) {
        auto* pixel = reinterpret_cast<std::uint32_t*>(lines[i]);
        for (JDIMENSION x = 0; x < width; ++x) pixel[x] &= 0x00FFFFFFu;
    }
}

}  // namespace

struct PLJPEGDecoder::State {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    bool created = false;
    PLBmp* target = nullptr;
};

namespace {

using Step = void (*)(PLJPEGDecoder::State*);

void CreateStep(PLJPEGDecoder::State* s) {
    jpeg_create_decompress(&s->cinfo);
}

void ReadHeaderStep(PLJPEGDecoder::State* s) {
    jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&s->cinfo, TRUE);
}

void ReadPixelsStep(PLJPEGDecoder::State* s) {
    jpeg_decompress_struct& cinfo = s->cinfo;
    jpeg_start_decompress(&cinfo);
    JSAMPARRAY lines = s->target->GetLineArray();
    const bool colour = cinfo.output_components != 1;
    const JDIMENSION linesPerCall = colour ? 32 : 1;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION wanted = std::min(linesPerCall, cinfo.output_height - first);
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, lines + first, wanted);
        if (got == 0)
            break;
        if (colour)
            ClearSpareBytes(lines + first, got, cinfo.output_width);
    }
    if (cinfo.output_scanline == cinfo.output_height) {
        jpeg_finish_decompress(&cinfo);
    } else {
        jpeg_abort_decompress(&cinfo);
    }
}

// Runs `step` with libjpeg's fatal errors caught; false when one happened.
bool RunGuarded(PLJPEGDecoder::State* state, Step step) {
    if (setjmp(state->errors.jump))
        return false;
    step(state);
    return true;
}

}  // namespace

PLJPEGDecoder::PLJPEGDecoder() : m_State(std::make_unique<State>()) {
    State& s = *m_State;
    s.cinfo.err = jpeg_std_error(&s.errors.pub);
    s.errors.pub.error_exit = ErrorExit;
    s.errors.pub.output_message = OutputMessage;
    if (!RunGuarded(&s, CreateStep)) {
        throw PLTextException(PLErr::kDecoding, std::string(s.errors.message) + "\n");
    }
    s.created = true;
    s.source.init_source = InitSource;
    s.source.fill_input_buffer = FillInputBuffer;
    s.source.skip_input_data = SkipInputData;
    s.source.resync_to_restart = jpeg_resync_to_restart;
    s.source.term_source = TermSource;
    s.progress.progress_monitor = ProgressMonitor;
    s.cinfo.src = &s.source;
    s.cinfo.progress = &s.progress;
}

PLJPEGDecoder::~PLJPEGDecoder() {
    if (m_State->created)
        jpeg_destroy_decompress(&m_State->cinfo);
}

void PLJPEGDecoder::failAfterLibjpegError() {
    jpeg_abort_decompress(&m_State->cinfo);
    raiseError(PLErr::kDecoding, std::string(m_State->errors.message) + "\n");
}

void PLJPEGDecoder::Open(PLDataSource* source) {
    m_pDataSrc = source;
    m_App1.clear();
    State& s = *m_State;
    const auto data = source->GetData();
    s.source.next_input_byte = data.data();
    s.source.bytes_in_buffer = data.size();
    if (!RunGuarded(&s, ReadHeaderStep))
        failAfterLibjpegError();
    collectApp1Markers();
    setFactsFromHeader();
}

void PLJPEGDecoder::collectApp1Markers() {
    for (jpeg_saved_marker_ptr m = m_State->cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1)
            m_App1.emplace_back(m->data, m->data + m->data_length);
    }
}

void PLJPEGDecoder::setFactsFromHeader() {
    const jpeg_decompress_struct& cinfo = m_State->cinfo;
    const bool grey = cinfo.out_color_space == JCS_GRAYSCALE;
    PLPoint resolution{cinfo.X_density, cinfo.Y_density};
    if (cinfo.X_density == 1 || cinfo.Y_density == 1) {
        resolution = PLPoint{};
    } else if (cinfo.density_unit == 2) {  // dots per centimetre
        resolution = PLPoint{static_cast<int>(cinfo.X_density * 2.54),
                             static_cast<int>(cinfo.Y_density * 2.54)};
    }
    SetBmpInfo(PLPoint{static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)},
               grey ? 8 : 32, resolution, false, grey);
}

void PLJPEGDecoder::GetImage(PLBmp& bmp) {
    State& s = *m_State;
    if (bmp.GetWidth() != GetWidth() || bmp.GetHeight() != GetHeight() ||
        bmp.GetBitsPerPixel() != GetBitsPerPixel()) {
        throw PLTextException(PLErr::kDecoding, "Image bit depth doesn't match request.");
    }
    s.cinfo.dct_method = JDCT_FLOAT;
    if (m_bFast)
        s.cinfo.do_fancy_upsampling = FALSE;
    s.cinfo.out_color_space = GetBitsPerPixel() == 8 ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    s.target = &bmp;
    const bool ok = RunGuarded(&s, ReadPixelsStep);
    s.target = nullptr;
    if (!ok)
        failAfterLibjpegError();
}

void PLJPEGDecoder::Close() {
    // Leaves the decompression object ready for the next picture.
    jpeg_abort_decompress(&m_State->cinfo);
    PLPicDecoder::Close();
}

}  // namespace picture
