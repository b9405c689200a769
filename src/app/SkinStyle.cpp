#include "SkinStyle.h"

namespace velmora {
namespace {

bool Contains(const std::wstring& s, const wchar_t* part) {
    return s.find(part) != std::wstring::npos;
}

constexpr SkinColors kNorvane{Argb(254, 4, 155, 242), Argb(254, 0, 184, 238),
                              Argb(254, 4, 155, 242), Argb(254, 156, 225, 252),
                              Argb(254, 0, 156, 255)};
constexpr SkinColors kTalwyn{Argb(254, 255, 191, 0), Argb(254, 218, 186, 90),
                             Argb(254, 255, 191, 0), Argb(254, 251, 235, 125),
                             Argb(254, 218, 186, 90)};
constexpr SkinColors kOstrid{Argb(254, 255, 0, 0), Argb(254, 255, 0, 0), Argb(254, 255, 126, 0),
                             Argb(254, 255, 0, 0), Argb(204, 200, 0, 0)};

}  // namespace

SkinKind SkinKindAtStartup(const std::wstring& pack) {
    if (Contains(pack, L"Norvane")) return SkinKind::Norvane;
    if (Contains(pack, L"Talwyn")) return SkinKind::Talwyn;
    return SkinKind::Ostrid;
}

std::wstring PackFileAtStartup(const std::wstring& pack) {
    return SkinKindAtStartup(pack) == SkinKind::Ostrid ? std::wstring(L"Ostrid.dll") : pack;
}

SkinKind SkinKindOfPack(const std::wstring& pack) {
    if (Contains(pack, L"Norvane.dll")) return SkinKind::Norvane;
    if (Contains(pack, L"Talwyn.dll")) return SkinKind::Talwyn;
    return SkinKind::Ostrid;
}

const SkinColors& ColorsOf(SkinKind kind) {
    switch (kind) {
        case SkinKind::Norvane:
            return kNorvane;
        case SkinKind::Talwyn:
            return kTalwyn;
        case SkinKind::Ostrid:
            break;
    }
    return kOstrid;
}

}  // namespace velmora
