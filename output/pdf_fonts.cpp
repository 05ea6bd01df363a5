// The face programs a PDF embeds: the face's file cut down by HarfBuzz's
// subsetter to the characters shown (without hinting, which no PDF viewer
// needs at these sizes), deflated, with the numbers of its descriptor. A
// subset is made once per face and set of characters and then shared: a run
// of EAN-13s shows the same ten digits in the same face.
#include <hb-subset.h>
#include <hb.h>
#include <zlib.h>

#include "output/kept.h"
#include "output/pdf_document.h"
#include "platform/typeface.h"

namespace lumtar {
namespace {

constexpr size_t MaxPrograms = 64;

// The descriptor's numbers from the face's own tables.
void ReadFaceDescriptor(hb_face_t* face, const Face& metrics, FontProgram& program)
{
    hb_blob_t* head = hb_face_reference_table(face, HB_TAG('h', 'e', 'a', 'd'));
    hb_blob_t* os2 = hb_face_reference_table(face, HB_TAG('O', 'S', '/', '2'));
    unsigned headSize = 0, os2Size = 0;
    const char* headBytes = hb_blob_get_data(head, &headSize);
    const char* os2Bytes = hb_blob_get_data(os2, &os2Size);
    ReadDescriptor(reinterpret_cast<const uint8_t*>(headBytes), headSize, reinterpret_cast<const uint8_t*>(os2Bytes),
                           os2Size, metrics, program);
    hb_blob_destroy(head);
    hb_blob_destroy(os2);
}

// Six capitals from the characters' set, so that two subsets of one face differ by name.
std::string TagOf(const std::array<bool, 256>& used, const std::string& file)
{
    uint32_t hash = 2166136261u;
    auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
    for (const char c : file) mix(static_cast<uint8_t>(c));
    for (size_t c = 0; c < used.size(); ++c)
        if (used[c]) mix(static_cast<uint8_t>(c));
    std::string tag(6, 'A');
    for (char& c : tag) {
        c = static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}


std::shared_ptr<FontProgram> Subset(const Face& metrics, const std::array<bool, 256>& used)
{
    hb_blob_t* file = hb_blob_create_from_file_or_fail(metrics.file.c_str());
    if (!file) return nullptr;
    hb_face_t* face = hb_face_create(file, static_cast<unsigned>(metrics.index));
    hb_blob_destroy(file);
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    std::shared_ptr<FontProgram> program;
    if (input) {
        hb_set_t* unicodes = hb_subset_input_unicode_set(input);
        for (size_t c = 0; c < used.size(); ++c)
            if (used[c]) hb_set_add(unicodes, platform::UnicodeOf(static_cast<unsigned char>(c)));
        hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_NO_HINTING);
        if (hb_face_t* subset = hb_subset_or_fail(face, input)) {
            hb_blob_t* bytes = hb_face_reference_blob(subset);
            unsigned length = 0;
            const char* data = hb_blob_get_data(bytes, &length);
            program = std::make_shared<FontProgram>();
            program->length = length;
            if (!data || length == 0 || !Deflated(reinterpret_cast<const uint8_t*>(data), length, program->deflated, true))
                program = nullptr;
            hb_blob_destroy(bytes);
            hb_face_destroy(subset);
        }
        hb_subset_input_destroy(input);
    }
    if (program) {
        ReadFaceDescriptor(face, metrics, *program);
        program->tag = TagOf(used, metrics.file);
    }
    hb_face_destroy(face);
    return program;
}

} // namespace

bool Deflated(const uint8_t* data, size_t size, Bytes& out, bool best)
{
    uLongf length = compressBound(static_cast<uLong>(size));
    out.resize(length);
    if (compress2(out.data(), &length, data, static_cast<uLong>(size), best ? Z_BEST_COMPRESSION : Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    out.resize(length);
    return true;
}

std::shared_ptr<const FontProgram> FontProgramOf(const Face& face, const std::array<bool, 256>& used)
{
    if (face.file.empty()) return nullptr;
    std::string key = face.file + '|' + std::to_string(face.index) + '|';
    for (const bool u : used) key.push_back(u ? '1' : '0');
    static Kept<std::string, FontProgram> programs;
    return KeptOrMade(programs, MaxPrograms, key, [&] { return Subset(face, used); });
}

} // namespace lumtar
