#pragma once
// The file keys of the settings record, in the order the file lists them, with their defaults.
#include <array>
#include <cstdint>

#include "settings/execute_setting.h"
#include "kestrival_version.h"

namespace kestrival {

struct IntegerKey {
    const char16_t* key;
    std::int32_t ExecuteSetting::*member;
    std::int32_t fallback;
};

struct ColourKey {
    const char16_t* key;
    std::int32_t ExecuteSetting::*member;
    const char16_t* fallbackText;
};

// Placement and panel keys, written one per line in this order after DVIEW.
inline constexpr std::array<IntegerKey, 9> kLayoutKeys{{
    {u"HB", &ExecuteSetting::HB, 2},
    {u"DX", &ExecuteSetting::DX, 0},
    {u"VB", &ExecuteSetting::VB, 2},
    {u"DY", &ExecuteSetting::DY, 0},
    {u"CL", &ExecuteSetting::CL, 1},
    {u"RW", &ExecuteSetting::RW, 1},
    {u"SR", &ExecuteSetting::SR, 0},
    {u"TR", &ExecuteSetting::TR, 100},
    {u"TB", &ExecuteSetting::TB, 0},
}};

inline constexpr std::array<ColourKey, 13> kColourKeys{{
    {u"BFCOLOR", &ExecuteSetting::BFCOLOR, u"EEEEEE"},
    {u"BBCOLOR", &ExecuteSetting::BBCOLOR, u"000000"},
    {u"TBCOLOR", &ExecuteSetting::TBCOLOR, u"EE9999"},
    {u"TTCOLOR", &ExecuteSetting::TTCOLOR, u"111111"},
    {u"PFCOLOR", &ExecuteSetting::PFCOLOR, u"EEEEEE"},
    {u"CBCOLOR", &ExecuteSetting::CBCOLOR, u"EEEEEE"},
    {u"CTCOLOR", &ExecuteSetting::CTCOLOR, u"111111"},
    {u"SDCOLOR", &ExecuteSetting::SDCOLOR, u"00DD00"},
    {u"EDCOLOR", &ExecuteSetting::EDCOLOR, u"00DDDD"},
    {u"PNCOLOR", &ExecuteSetting::PNCOLOR, u"00DD00"},
    {u"RNCOLOR", &ExecuteSetting::RNCOLOR, u"00DDDD"},
    {u"GFCOLOR", &ExecuteSetting::GFCOLOR, u"EEEEEE"},
    {u"GBCOLOR", &ExecuteSetting::GBCOLOR, u"775577"},
}};

inline constexpr const char16_t* kDefaultTitle = u"Kestrival";
inline constexpr const char16_t* kDefaultFrame = u"1111";
inline constexpr std::int32_t kDefaultDview = 2;
inline constexpr std::int32_t kFileFormatVersion = KESTRIVAL_VERSION_MAJOR * 100 + KESTRIVAL_VERSION_MINOR;
inline constexpr const char16_t* kFileHeader = u"Kestrival Setup File";

}  // namespace kestrival
