// The "About" page: the version, the maker's support contacts and links that open web pages.
#pragma once

#include <string>

#include "settings/SettingsPage.h"

namespace velmora {

class CAboutDlg : public CSettingsPage {
  public:
    CAboutDlg();

    // The address a link opens (from the page's string table); empty for no link.
    static std::wstring LinkAddress(int linkId);

  protected:
    void OnInit() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
};

}  // namespace velmora
