#include "cli/Demo.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <span>
#include <system_error>
#include <vector>

#include "cli/Commands.h"
#include "cli/LabelText.h"
#include "cli/Messages.h"
#include "cli/Operands.h"
#include "cli/PictureWriter.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "image/PictureRows.h"

namespace tamrovi::cli {
namespace {

constexpr std::int32_t kPictureWidth = 240;
constexpr std::int32_t kPictureHeight = 180;
constexpr std::int32_t kSheetGap = 8;
constexpr std::int32_t kLabelScale = 2;
constexpr std::uint8_t kSheetBackground = 96;
constexpr std::uint8_t kLabelBgr[3] = {255, 255, 255};
// Room for the column labels above the tiles and the row labels left of them.
constexpr std::int32_t kColumnLabelsHeight = kGlyphHeight * kLabelScale + kSheetGap;
constexpr std::int32_t kRowLabelsWidth = 6 * kGlyphAdvance * kLabelScale + kSheetGap;  // "24-bit"
constexpr const char* kRowLabels[] = {"24-bit", "8-bit"};

void SetPixel(RgbPicture& picture, std::int32_t x, std::int32_t y, int blue, int green, int red) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
  std::uint8_t* pixel = picture.Pixel(x, y);
  pixel[0] = static_cast<std::uint8_t>(blue);
  pixel[1] = static_cast<std::uint8_t>(green);
  pixel[2] = static_cast<std::uint8_t>(red);
}

void DrawGradient(RgbPicture& picture) {
  for (std::int32_t y = 0; y < picture.height; ++y) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      // Light enough (gray above 200) over most of the picture that the dark
      // shapes stand out as regions.
      const int red = 200 + 55 * x / picture.width;
      const int green = 215 + 40 * y / picture.height;
      const int blue = 255 - 50 * x / picture.width;
      SetPixel(picture, x, y, blue, green, red);
    }
  }
}

void DrawShapes(RgbPicture& picture) {
  // A near-black disc (gray below 16) and a dark blue square (gray about 60).
  for (std::int32_t y = 0; y < picture.height; ++y) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const std::int32_t dx = x - 60;
      const std::int32_t dy = y - 60;
      if (dx * dx + dy * dy <= 35 * 35) SetPixel(picture, x, y, 10, 8, 6);
      if (x >= 130 && x < 200 && y >= 30 && y < 90) SetPixel(picture, x, y, 140, 30, 10);
    }
  }
  // A dark ramp that crosses the gray threshold of the outline.
  for (std::int32_t y = 115; y < 160; ++y) {
    for (std::int32_t x = 20; x < 220; ++x) {
      const int level = (x - 20) * 255 / 200;
      SetPixel(picture, x, y, level, level, level);
    }
  }
}

void DrawLinesAndNoise(RgbPicture& picture) {
  for (std::int32_t t = 0; t < picture.width; ++t) {
    SetPixel(picture, t, 100 + t / 8, 20, 20, 20);        // a thin, nearly flat line
    SetPixel(picture, 110 + t / 12, t, 0, 0, 120);         // a thin, nearly upright line
  }
  std::uint32_t state = 12345;  // a fixed seed: the demo draws the same picture every time
  for (std::int32_t y = 165; y < picture.height; ++y) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      state = state * 1664525u + 1013904223u;
      const int level = static_cast<int>(state >> 24);
      SetPixel(picture, x, y, level, level, level);
    }
  }
}

// Copies a loaded picture into the sheet with its top-left at (left, top).
void Paste(RgbPicture& sheet, const CBmpImage& image, std::int32_t left, std::int32_t top) {
  const CPictureRows picture(image);
  for (std::int32_t y = 0; y < picture.Height() && top + y < sheet.height; ++y) {
    const std::int32_t count = std::min(picture.Width(), sheet.width - left);
    if (count > 0) picture.Colours(y, 0, count, sheet.Pixel(left, top + y));
  }
}

std::int32_t TileLeft(std::int32_t column) { return kRowLabelsWidth + kSheetGap + column * (kPictureWidth + kSheetGap); }

std::int32_t TileTop(std::int32_t row) { return kColumnLabelsHeight + kSheetGap + row * (kPictureHeight + kSheetGap); }

// Each column is named by its filter's code and name, each row by the kind
// of storage its source picture has.
void DrawSheetLabels(RgbPicture& sheet, std::span<const FilterDescriptor> filters) {
  for (std::size_t column = 0; column < filters.size(); ++column) {
    const std::string label = std::to_string(filters[column].code) + " " + filters[column].name;
    const std::int32_t centred = (kPictureWidth - LabelWidth(label, kLabelScale)) / 2;
    DrawLabel(sheet, TileLeft(static_cast<std::int32_t>(column)) + centred, kSheetGap, label, kLabelScale, kLabelBgr);
  }
  const std::int32_t middle = (kPictureHeight - kGlyphHeight * kLabelScale) / 2;
  for (std::int32_t row = 0; row < 2; ++row) {
    DrawLabel(sheet, kSheetGap, TileTop(row) + middle, kRowLabels[row], kLabelScale, kLabelBgr);
  }
}

// Draws the built-in test picture: colour gradients, dark shapes, thin lines
// and noise, so every filter has something to show.
RgbPicture DrawDemoPicture() {
  RgbPicture picture(kPictureWidth, kPictureHeight);
  DrawGradient(picture);
  DrawShapes(picture);
  DrawLinesAndNoise(picture);
  return picture;
}

}  // namespace

int RunDemo(const std::string& directory) {
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  if (failure) {
    std::cerr << Printable(directory) << ": cannot create the directory (" << failure.message() << ")\n";
    return kExitFailed;
  }
  const RgbPicture picture = DrawDemoPicture();
  const std::string sources[] = {directory + "/picture-24bit.bmp", directory + "/picture-8bit.bmp"};
  const CResult results[] = {WritePicture24(sources[0], picture), WritePictureGray8(sources[1], picture)};
  for (int source = 0; source < 2; ++source) {
    if (!results[source].Ok()) {
      std::cerr << FailureMessage(sources[source], results[source]) << '\n';
      return kExitFailed;
    }
    std::cout << "wrote " << Printable(sources[source]) << '\n';
  }

  const auto filters = FilterTable();
  const auto columns = static_cast<std::int32_t>(filters.size());
  RgbPicture sheet(TileLeft(columns), TileTop(2), kSheetBackground);
  DrawSheetLabels(sheet, filters);
  for (std::int32_t source = 0; source < 2; ++source) {
    const std::string stem = directory + (source == 0 ? "/24bit-" : "/8bit-");
    for (std::int32_t column = 0; column < columns; ++column) {
      const FilterDescriptor& filter = filters[static_cast<std::size_t>(column)];
      const std::string output = stem + std::to_string(filter.code) + "-" + filter.name + ".bmp";
      FileOutcome outcome;
      if (!FilterFile(sources[source], output, filter.code, FilterOptions{}, outcome)) {
        std::cerr << outcome.error << '\n';
        return kExitFailed;
      }
      std::cout << "wrote " << Printable(output) << '\n';
      CBmpImage result;
      if (result.LoadBmp(output.c_str())) {
        Paste(sheet, result, TileLeft(column), TileTop(source));
      }
    }
  }
  const std::string sheetPath = directory + "/contact-sheet.bmp";
  if (const CResult written = WritePicture24(sheetPath, sheet); !written.Ok()) {
    std::cerr << FailureMessage(sheetPath, written) << '\n';
    return kExitFailed;
  }
  std::cout << "wrote " << Printable(sheetPath) << " (columns: filter codes 0 to 7, labelled; rows: 24-bit, 8-bit)\n";
  return kExitOk;
}

}  // namespace tamrovi::cli
