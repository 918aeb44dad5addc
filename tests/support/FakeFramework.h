// A scripted back end of the dialog framework: windows that record what the dialog logic does
// to them, message boxes that are answered at once, a modal loop run by the test.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Framework.h"

namespace lesamo::test {

class FakeMenu : public CMenu {
public:
    void AppendSeparator() override { entries.push_back("-"); }
    void AppendString(unsigned nID, const std::string& text) override
    {
        entries.push_back(std::to_string(nID) + ":" + text);
    }
    std::vector<std::string> entries;
};

/// One open dialog window.
class FakeHost : public DialogHost {
public:
    struct Box {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    void SetControlText(int nIDC, const std::string& text) override;
    std::string GetControlText(int nIDC) const override;
    void EndModal(int nResult) override;
    CMenu* GetSystemMenu(bool bRevert) override;
    void SetIcon(IconHandle hIcon, bool bBigIcon) override;
    bool IsIconic() const override { return iconic; }
    CRect GetClientRect() const override { return client; }
    int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void DefaultSysCommand(unsigned nID, long lParam) override;
    void DefaultPaint() override;
    void PaintIcon(IconHandle hIcon, int x, int y) override;

    std::map<int, std::string> texts;  // the controls' texts now
    std::vector<std::string> updates;  // every text set on IDC_RESULT, in order
    bool hasSystemMenu = true;
    FakeMenu systemMenu;
    IconHandle bigIcon = nullptr;
    IconHandle smallIcon = nullptr;
    bool iconic = false;
    CRect client{0, 0, 370, 349};
    std::vector<Box> boxes;
    /// Runs while a message box is up (the user looking at it).
    std::function<void(const Box&)> onMessageBox;
    std::vector<std::string> calls;  // "sys 61456 7", "paint", "icon X Y"
    bool ended = false;
    int endCode = 0;
};

/// The state behind the back end's free functions; reset by each test's Scope.
struct FakeBackEnd {
    /// Called by RunModalDialog once the dialog's OnInitDialog has run; it plays the user.
    /// The default closes the dialog with IDCANCEL, as Escape would.
    using Script = std::function<void(CDialog& dialog, FakeHost& host)>;

    std::map<int, std::string> strings;
    int iconWidth = 32;
    int iconHeight = 32;
    int themedControls = 0;           // calls of Enable3dControls
    std::vector<int> modalTemplates;  // template of every RunModalDialog, in order
    std::vector<CDialog*> modalParents;
    std::map<int, Script> scripts;  // by template id
};

FakeBackEnd& Fake();
/// Resets the fake back end to a German string table and no scripts.
void ResetFakeBackEnd();

/// The icon handle the fake back end returns for resource `nID`.
IconHandle FakeIcon(int nID);

}  // namespace lesamo::test
