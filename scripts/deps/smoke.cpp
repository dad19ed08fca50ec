// Exercises each cached library through a round trip rather than a bare call,
// so a library that links but was built wrong (SIMD paths, codecs left out,
// wrong character width) fails here instead of inside the plug-in.
// Built twice: as a program, and with SMOKE_DLL as a DLL that smoke-host.c
// loads, runs and unloads the way a browser treats the plug-in.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <cryptopp/aes.h>
#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/modes.h>
#include <cryptopp/osrng.h>
#include <cryptopp/sha.h>

#ifdef SMOKE_LOG4CPLUS
#include <log4cplus/fileappender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/loggingmacros.h>
#endif

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

constexpr int W = 32, H = 16;

// Smooth gradient: survives lossy JPEG with small error everywhere.
std::vector<unsigned char> gradient_rgb() {
  std::vector<unsigned char> px(W * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      unsigned char* p = &px[(y * W + x) * 3];
      p[0] = static_cast<unsigned char>(x * 8);
      p[1] = static_cast<unsigned char>(y * 16);
      p[2] = 128;
    }
  return px;
}

int max_diff(const unsigned char* a, const unsigned char* b, size_t n) {
  int worst = 0;
  for (size_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

void jpeg_round_trip() {
  auto src = gradient_rgb();
  jpeg_compress_struct c{};
  jpeg_error_mgr cerr{};
  c.err = jpeg_std_error(&cerr);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long len = 0;
  jpeg_mem_dest(&c, &buf, &len);
  c.image_width = W;
  c.image_height = H;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = &src[c.next_scanline * W * 3];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);

  jpeg_decompress_struct d{};
  jpeg_error_mgr derr{};
  d.err = jpeg_std_error(&derr);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, buf, len);
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  std::vector<unsigned char> out(W * H * 3);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &out[d.output_scanline * W * 3];
    jpeg_read_scanlines(&d, &row, 1);
  }
  bool size_ok = d.output_width == W && d.output_height == H && d.output_components == 3;
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::free(buf);
  check(size_ok && max_diff(src.data(), out.data(), out.size()) <= 12, "libjpeg-turbo encode/decode");
}

void png_round_trip() {
  auto src = gradient_rgb();
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = W;
  img.height = H;
  img.format = PNG_FORMAT_RGB;
  png_alloc_size_t len = 0;
  bool ok = png_image_write_to_memory(&img, nullptr, &len, 0, src.data(), 0, nullptr) && len > 0;
  std::vector<unsigned char> file(len);
  ok = ok && png_image_write_to_memory(&img, file.data(), &len, 0, src.data(), 0, nullptr);
  png_image_free(&img);

  png_image in{};
  in.version = PNG_IMAGE_VERSION;
  std::vector<unsigned char> out(W * H * 3);
  ok = ok && png_image_begin_read_from_memory(&in, file.data(), len);
  in.format = PNG_FORMAT_RGB;
  ok = ok && in.width == W && in.height == H &&
       png_image_finish_read(&in, nullptr, out.data(), 0, nullptr);
  png_image_free(&in);
  check(ok && out == src, "libpng lossless round trip");
}

// Writes and reads back a TIFF in the given compression, through the file
// API the plug-in uses for its temporary files.
void tiff_round_trip(uint16_t compression, int tolerance, const char* what) {
  auto path = std::filesystem::temp_directory_path() /
              ("sf-smoke-" + std::to_string(GetCurrentProcessId()) + ".tif");
  auto src = gradient_rgb();
  bool ok = false;
  if (TIFF* t = TIFFOpen(path.string().c_str(), "w")) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, H);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, H);
    ok = TIFFWriteEncodedStrip(t, 0, src.data(), static_cast<tmsize_t>(src.size())) > 0;
    TIFFClose(t);
  }
  std::vector<uint32_t> rgba(W * H);
  if (TIFF* t = ok ? TIFFOpen(path.string().c_str(), "r") : nullptr) {
    uint16_t stored = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &stored);
    ok = stored == compression &&
         TIFFReadRGBAImageOriented(t, W, H, rgba.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(t);
  } else {
    ok = false;
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  std::vector<unsigned char> out(W * H * 3);
  for (int i = 0; i < W * H; ++i) {
    out[i * 3] = TIFFGetR(rgba[i]);
    out[i * 3 + 1] = TIFFGetG(rgba[i]);
    out[i * 3 + 2] = TIFFGetB(rgba[i]);
  }
  check(ok && max_diff(src.data(), out.data(), out.size()) <= tolerance, what);
}

std::string hex(const std::string& bytes) {
  std::string out;
  CryptoPP::StringSource(bytes, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(out), false));
  return out;
}

std::string unhex(const std::string& text) {
  std::string out;
  CryptoPP::StringSource(text, true, new CryptoPP::HexDecoder(new CryptoPP::StringSink(out)));
  return out;
}

void cryptopp_checks() {
  std::string b64;
  CryptoPP::StringSource("hello", true,
                         new CryptoPP::Base64Encoder(new CryptoPP::StringSink(b64), false));
  check(b64 == "aGVsbG8=", "Crypto++ Base64Encoder");

  std::string digest;
  CryptoPP::SHA256 sha;
  CryptoPP::StringSource("abc", true, new CryptoPP::HashFilter(sha, new CryptoPP::StringSink(digest)));
  check(hex(digest) == "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
        "Crypto++ SHA-256 known answer");

  // FIPS-197 appendix C.1; the cipher picks AES-NI or table code at run time.
  std::string key = unhex("000102030405060708090a0b0c0d0e0f");
  std::string ct;
  CryptoPP::ECB_Mode<CryptoPP::AES>::Encryption aes(reinterpret_cast<const CryptoPP::byte*>(key.data()), key.size());
  CryptoPP::StringSource(unhex("00112233445566778899aabbccddeeff"), true,
                         new CryptoPP::StreamTransformationFilter(aes, new CryptoPP::StringSink(ct),
                                                                  CryptoPP::StreamTransformationFilter::NO_PADDING));
  check(hex(ct) == "69c4e0d86a7b0430d8cdb78070b4c55a", "Crypto++ AES-128 known answer");

  CryptoPP::AutoSeededRandomPool rng;
  CryptoPP::byte a[32]{}, b[32]{};
  rng.GenerateBlock(a, sizeof a);
  rng.GenerateBlock(b, sizeof b);
  check(std::memcmp(a, b, sizeof a) != 0, "Crypto++ AutoSeededRandomPool");
}

#ifdef SMOKE_LOG4CPLUS
void log4cplus_check() {
  auto path = std::filesystem::temp_directory_path() /
              ("sf-smoke-" + std::to_string(GetCurrentProcessId()) + ".log");
  {
#ifndef SMOKE_DLL
    // A program sets log4cplus up and shuts it down explicitly; the DLL
    // variant leans on the library's own load/unload handling instead.
    log4cplus::Initializer init;
#endif
    log4cplus::SharedAppenderPtr file(new log4cplus::FileAppender(path.wstring()));
    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("smoke"));
    logger.addAppender(file);
    logger.setLogLevel(log4cplus::INFO_LOG_LEVEL);
    LOG4CPLUS_INFO(logger, L"main thread \x00e9t\x00e9");
    std::thread([&] { LOG4CPLUS_INFO(logger, L"worker thread"); }).join();
    LOG4CPLUS_DEBUG(logger, L"below threshold");
    logger.removeAppender(file);
    file->close();
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  in.close();
  std::error_code ec;
  std::filesystem::remove(path, ec);
  std::string s = text.str();
  check(s.find("main thread") != std::string::npos && s.find("worker thread") != std::string::npos &&
            s.find("below threshold") == std::string::npos,
        "log4cplus wide logger with a worker thread");
}
#endif

}  // namespace

#ifdef SMOKE_DLL
extern "C" __declspec(dllexport)
#endif
int smoke_run() {
  failures = 0;
  jpeg_round_trip();
  png_round_trip();
  tiff_round_trip(COMPRESSION_ADOBE_DEFLATE, 0, "libtiff deflate (zlib) round trip");
  tiff_round_trip(COMPRESSION_JPEG, 12, "libtiff JPEG (libjpeg-turbo) round trip");
  check(std::strcmp(zlibVersion(), ZLIB_VERSION) == 0, "zlib headers match the library");
  cryptopp_checks();
#ifdef SMOKE_LOG4CPLUS
  log4cplus_check();
#endif
  std::printf("%s\n", failures ? "smoke: FAILED" : "smoke: all good");
  std::fflush(stdout);
  return failures ? 1 : 0;
}

#ifndef SMOKE_DLL
int main() { return smoke_run(); }
#endif
