// What the comparison units share: the scratch directory on a tmpfs, the
// symbol every comparison draws, and the names by which the summary pairs the
// measurements.
#pragma once

#include <string>

namespace bench {

// The EAN-13 that every comparison draws, and the size zint gives it at scale 3.
constexpr const char* Ean13Text = "4006381333931";
constexpr int BmpWidth = 678;
constexpr int BmpHeight = 348;
constexpr int ZintScale = 3;
// The BarToWmf picture: 50 x 20 mm in hundredths of a millimetre.
constexpr int WmfWidth = 5000;
constexpr int WmfHeight = 2000;

// The directory every file goes to: $LUMTAR_BENCH_DIR, or a directory under
// /dev/shm, so that the figures measure the libraries and not a disk.
const std::string& ScratchDir();

// Bytes of a 1-bit BMP file of that pixel size: 62 header bytes and the rows.
long BmpFileSize(int width, int height);

} // namespace bench
