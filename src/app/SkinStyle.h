// Which of the three skins a pack file name means, and the colours the program draws with
// in each (the pictures themselves come from the pack).
#pragma once

#include <cstdint>
#include <string>

#include "win32/Color.h"

namespace velmora {

enum class SkinKind { Norvane, Talwyn, Ostrid };

// Colours are ARGB.
struct SkinColors {
    uint32_t gaugeBar;
    uint32_t clockText;  // value labels of the clock and voltage windows
    uint32_t graphMin;   // monitoring graphs' minimum label
    uint32_t graphMax;   // monitoring graphs' maximum label
    uint32_t graphFill;  // monitoring graphs' fill and grid
};

// At start-up the pack name is tested for the skin's name: a name with neither "Norvane" nor
// "Talwyn" (an empty one too) becomes "Ostrid.dll".
SkinKind SkinKindAtStartup(const std::wstring& packFile);
std::wstring PackFileAtStartup(const std::wstring& packFile);

// A skin switch tests for the full file name ("Norvane.dll", "Talwyn.dll").
SkinKind SkinKindOfPack(const std::wstring& packFile);

const SkinColors& ColorsOf(SkinKind kind);

}  // namespace velmora
