// The common part of the settings window's pages: an ordinary child dialog made from its own
// template, bound to its object, white behind its controls, with red-band section captions.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/StaticEx.h"
#include "win32/Handles.h"

namespace velmora {

class CSettingsPage {
  public:
    explicit CSettingsPage(int templateId) : templateId_(templateId) {}
    virtual ~CSettingsPage();
    CSettingsPage(const CSettingsPage&) = delete;
    CSettingsPage& operator=(const CSettingsPage&) = delete;

    // Creates the page, hidden, as a child of `parent`; its opening reads its settings.
    bool Create(HWND parent);
    HWND Hwnd() const { return hwnd_; }
    int TemplateId() const { return templateId_; }

  protected:
    // After the controls exist and the captions are taken over.
    virtual void OnInit() {}
    virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    // Any other message; true when handled (the dialog procedure's result is then TRUE).
    virtual bool OnMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    // The section captions of this page (ids of static controls), painted as red bands.
    void TakeOverCaptions(std::initializer_list<int> ids);

  private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    GdiObject<HBRUSH> white_;
    std::vector<std::unique_ptr<CStaticEx>> captions_;
};

}  // namespace velmora
