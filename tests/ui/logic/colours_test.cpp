#include "ui/logic/colours.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/logic/hot_list_logic.h"
#include "ui/logic/main_window_logic.h"

namespace torvel {
namespace {

struct NamedPalette {
  std::string name;
  PaletteColours colours;
};

std::vector<NamedPalette> DesktopPalettes() {
  PaletteColours fusionLight;  // Qt's own light palette
  fusionLight.alternateBase = {247, 247, 247};
  PaletteColours breezeDark;
  breezeDark.base = {35, 38, 41};
  breezeDark.alternateBase = {42, 46, 50};
  breezeDark.text = {252, 252, 252};
  breezeDark.disabledText = {101, 101, 101};
  breezeDark.highlight = {61, 174, 233};
  breezeDark.highlightedText = {252, 252, 252};
  breezeDark.link = {29, 153, 243};
  breezeDark.visitedLink = {155, 89, 182};
  PaletteColours adwaitaDark;
  adwaitaDark.base = {45, 45, 45};
  adwaitaDark.alternateBase = {53, 53, 53};
  adwaitaDark.text = {238, 238, 236};
  adwaitaDark.disabledText = {145, 145, 144};
  adwaitaDark.highlight = {21, 83, 158};
  adwaitaDark.highlightedText = {255, 255, 255};
  adwaitaDark.link = {0, 0, 238};  // an untouched default, unreadable here
  adwaitaDark.visitedLink = {85, 26, 139};
  PaletteColours cream;  // light, but not the designed white
  cream.base = {253, 246, 227};
  cream.alternateBase = {238, 232, 213};
  cream.text = {7, 54, 66};
  return {{"fusion light", fusionLight}, {"breeze dark", breezeDark}, {"adwaita dark", adwaitaDark}, {"cream", cream}};
}

TEST(Contrast, LuminanceAndRatiosOfKnownColours) {
  EXPECT_DOUBLE_EQ(ContrastRatio(kRgbBlack, kRgbWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kRgbWhite, kRgbWhite), 1.0);
  EXPECT_NEAR(ContrastRatio({118, 118, 118}, kRgbWhite), 4.54, 0.01);  // the lightest grey that passes on white
  EXPECT_EQ(Mix(kRgbBlack, kRgbWhite, 0.5), (Rgb{128, 128, 128}));
}

TEST(Contrast, ReadableKeepsWhatPassesAndMovesTheRestTheLeast) {
  EXPECT_EQ(Readable(kRgbOkGreen, kRgbWhite), kRgbOkGreen);
  EXPECT_EQ(Readable(kRgbBetterBlue, kRgbWhite), kRgbBetterBlue);
  // The designed red is just short of 4.5:1 on white: a shade darker.
  const Rgb red = Readable(kRgbBadRed, kRgbWhite);
  EXPECT_GE(ContrastRatio(red, kRgbWhite), kLeastContrast);
  EXPECT_GT(red.r, 200);
  EXPECT_EQ(red.g, 0);
  // Dark blue on dark grey turns light, and stays more blue than red.
  const Rgb blue = Readable(kRgbBetterBlue, {45, 45, 45});
  EXPECT_GE(ContrastRatio(blue, {45, 45, 45}), kLeastContrast);
  EXPECT_GT(blue.b, blue.r);
  // Mid grey grounds still reach it one way or the other.
  for (int g = 0; g <= 255; g += 15) {
    const Rgb ground{g, g, g};
    EXPECT_GE(ContrastRatio(Readable(kRgbBadRed, ground), ground), kLeastContrast) << g;
  }
}

// Every colour a change or a bad value takes, on every ground a row of the
// attribute list takes, on each palette: computed through the same
// functions the list's painting calls.
TEST(Contrast, AttributeListColoursReadOnLightAndDarkPalettes) {
  const Rgb colours[] = {kRgbBadRed, kRgbBetterBlue, kRgbOkGreen};
  for (const NamedPalette& p : DesktopPalettes()) {
    for (int rowIndex = 0; rowIndex < 2; ++rowIndex) {
      for (bool custom : {false, true}) {
        AttributeRowState row;
        row.customThresholds = custom;
        const auto designed = RowBackground(row, rowIndex, kControlsVersion6);
        const Rgb ground = RowGround(designed ? &*designed : nullptr, false, p.colours);
        // The row's own ground still reads its plain text.
        EXPECT_GE(ContrastRatio(p.colours.text, ground), kLeastContrast) << p.name << " row " << rowIndex;
        for (Rgb c : colours) {
          const Rgb drawn = TextOnGround(c, ground, p.colours);
          EXPECT_GE(ContrastRatio(drawn, ground), kLeastContrast)
              << p.name << " row " << rowIndex << " custom " << custom << " colour " << c.r << "," << c.g << "," << c.b;
        }
      }
    }
    // On a highlighted row the designed white is the palette's highlight text.
    EXPECT_EQ(TextOnGround(kRgbWhite, p.colours.highlight, p.colours), p.colours.highlightedText) << p.name;
  }
}

TEST(Contrast, DesignedLookStaysOnTheDesignedPalette) {
  const PaletteColours designed;  // white rows, black text
  ASSERT_TRUE(IsDesignedLight(designed));
  EXPECT_EQ(RowGround(&kRgbShadedRow, false, designed), kRgbShadedRow);
  EXPECT_EQ(RowGround(&kRgbCustomRow, false, designed), kRgbCustomRow);
  EXPECT_EQ(TextOnGround(kRgbGreyText, kRgbWhite, designed), kRgbGreyText);
  EXPECT_EQ(LinkColour(false, {240, 240, 240}, designed), kRgbLink);
  EXPECT_EQ(LinkColour(true, {240, 240, 240}, designed), kRgbVisitedLink);

  // Elsewhere the palette's own: alternate rows from AlternateBase, greys
  // from the disabled text, a tinted ground for attributes with their own
  // thresholds that differs from the plain rows.
  const PaletteColours dark = DesktopPalettes()[1].colours;
  EXPECT_EQ(RowGround(&kRgbShadedRow, false, dark), dark.alternateBase);
  EXPECT_EQ(TextOnGround(kRgbGreyText, dark.base, dark), dark.disabledText);
  EXPECT_NE(RowGround(&kRgbCustomRow, false, dark), dark.base);
  EXPECT_EQ(RowGround(nullptr, true, dark), dark.highlight);
}

TEST(Contrast, LinksReadOnTheirWindow) {
  for (const NamedPalette& p : DesktopPalettes()) {
    const Rgb window = p.colours.base;
    for (bool visited : {false, true})
      EXPECT_GE(ContrastRatio(LinkColour(visited, window, p.colours), window), kLeastContrast) << p.name;
  }
}

TEST(Contrast, DriveStatusCellsReadOnTheList) {
  DriveRecord record;
  record.smartSupported = 1;
  for (const NamedPalette& p : DesktopPalettes()) {
    for (int state : {0, 1}) {
      record.tec = state;
      const StatusCellLook look = DriveStatusCell(record, true, false);
      const Rgb ground = RowGround(nullptr, false, p.colours);
      EXPECT_GE(ContrastRatio(TextOnGround(look.colour, ground, p.colours), ground), kLeastContrast) << p.name;
    }
  }
}

}  // namespace
}  // namespace torvel
