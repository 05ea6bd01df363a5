// PDF through cairo from the recorded drawing: one page of exactly the
// picture's size, the window's logical units scaled onto it, bars as filled
// rectangles and text as real text in the face fontconfig finds for the
// recorded one (Liberation Mono for Courier New), embedded as a subset. The
// same drawing gives the same bytes: the PDF carries no creation date.
#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <new>

#include "output/formats.h"

namespace lumtar {
namespace {

constexpr double PointsPerHundredth = 72.0 / 2540.0;

// cairo does not always carry a failed write into the surface's status, so
// the stream remembers it.
struct Stream {
    Bytes& out;
    bool failed = false;
};

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length)
{
    auto* stream = static_cast<Stream*>(closure);
    try {
        stream->out.insert(stream->out.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stream->failed = true;
        return CAIRO_STATUS_NO_MEMORY;
    }
    return CAIRO_STATUS_SUCCESS;
}

void SetColor(cairo_t* cr, uint32_t color)
{
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, (color >> 8 & 0xFF) / 255.0, (color >> 16 & 0xFF) / 255.0);
}

void DrawText(cairo_t* cr, const Mark& text)
{
    const std::shared_ptr<const Face> face = FaceOf(text.font);
    if (!face || text.chars.empty()) return;
    const LineLayout line = LayoutOf(*face, text);
    const double degrees = std::fmod(text.font.escapement / 10.0, 360.0);
    cairo_save(cr);
    cairo_translate(cr, text.left, text.top);
    cairo_rotate(cr, -degrees * M_PI / 180.0); // escapement anticlockwise, y downwards
    if (text.opaque && degrees == 0 && line.width > 0) {
        SetColor(cr, text.background);
        cairo_rectangle(cr, line.left, line.baseline - line.ascent, line.width, line.ascent + line.descent);
        cairo_fill(cr);
    }
    SetColor(cr, text.color);
    cairo_set_font_face(cr, face->cairo);
    cairo_set_font_size(cr, line.em);
    cairo_move_to(cr, line.left, line.baseline);
    const std::string utf8 = Utf8Of(text.chars);
    cairo_show_text(cr, utf8.c_str());
    cairo_restore(cr);
}

// Consecutive rectangles of one colour go into one path and one fill.
void DrawScene(cairo_t* cr, const Scene& scene)
{
    bool open = false;
    uint32_t color = 0;
    for (const Mark& mark : scene.marks) {
        if (open && (mark.text || mark.color != color)) {
            cairo_fill(cr);
            open = false;
        }
        if (mark.text) {
            DrawText(cr, mark);
            continue;
        }
        if (!open) {
            color = mark.color;
            SetColor(cr, color);
            open = true;
        }
        cairo_rectangle(cr, mark.left, mark.top, mark.right - mark.left, mark.bottom - mark.top);
    }
    if (open) cairo_fill(cr);
}

} // namespace

int PdfOfScene(const Scene& scene, int width, int height, Bytes& out)
{
    if (width <= 0 || height <= 0 || scene.extX == 0 || scene.extY == 0) return BarErrGdi;
    out.clear();
    const double pageWidth = width * PointsPerHundredth, pageHeight = height * PointsPerHundredth;
    Stream stream{out};
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(Append, &stream, pageWidth, pageHeight);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, "");
    cairo_t* cr = cairo_create(surface);
    // Outlines at their exact positions, not snapped to a device grid.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_source_rgb(cr, 1, 1, 1); // the bitmap's white background
    cairo_paint(cr);
    cairo_scale(cr, pageWidth / scene.extX, pageHeight / scene.extY);
    cairo_translate(cr, -scene.orgX, -scene.orgY);
    DrawScene(cr, scene);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool finished = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return drawn && finished && !stream.failed ? BarOk : BarErrGdi;
}

} // namespace lumtar
