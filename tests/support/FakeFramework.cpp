// The scripted back end of the dialog framework for the unit tests.
#include "tests/support/FakeFramework.h"

#include "tests/fakes/RecordingNotice.h"

namespace lesamo {

using test::Fake;
using test::FakeHost;

int RunModalDialog(CDialog& dialog, CDialog* pParent)
{
    Fake().modalTemplates.push_back(dialog.TemplateId());
    Fake().modalParents.push_back(pParent);

    FakeHost host;
    dialog.AttachHost(&host);
    dialog.OnInitDialog();
    const auto script = Fake().scripts.find(dialog.TemplateId());
    if (script != Fake().scripts.end())
        script->second(dialog, host);
    else if (!host.ended)
        dialog.OnCommand(IDCANCEL);
    dialog.AttachHost(nullptr);
    return host.ended ? host.endCode : -1;
}

int SystemIconWidth()
{
    return Fake().iconWidth;
}
int SystemIconHeight()
{
    return Fake().iconHeight;
}

std::string LoadResourceString(int nID)
{
    const auto it = Fake().strings.find(nID);
    return it == Fake().strings.end() ? std::string() : it->second;
}

IconHandle LoadResourceIcon(int nID)
{
    return test::FakeIcon(nID);
}

void CWinApp::Enable3dControls()
{
    ++Fake().themedControls;
}

Notice& SystemNotice()
{
    static test::RecordingNotice notice;
    return notice;
}

namespace test {

FakeBackEnd& Fake()
{
    static FakeBackEnd state;
    return state;
}

void ResetFakeBackEnd()
{
    Fake() = FakeBackEnd{};
    Fake().strings[IDS_ABOUTBOX] = "Inf&o über Lesamo...";
}

IconHandle FakeIcon(int nID)
{
    static const char kIcons[1024] = {};
    return nID >= 0 && nID < 1024 ? &kIcons[nID] : nullptr;
}

void FakeHost::SetControlText(int nIDC, const std::string& text)
{
    texts[nIDC] = text;
    if (nIDC == IDC_RESULT)
        updates.push_back(text);
}

std::string FakeHost::GetControlText(int nIDC) const
{
    const auto it = texts.find(nIDC);
    return it == texts.end() ? std::string() : it->second;
}

void FakeHost::EndModal(int nResult)
{
    ended = true;
    endCode = nResult;
}

CMenu* FakeHost::GetSystemMenu(bool bRevert)
{
    if (bRevert)
        calls.push_back("revert-menu");
    return hasSystemMenu ? &systemMenu : nullptr;
}

void FakeHost::SetIcon(IconHandle hIcon, bool bBigIcon)
{
    (bBigIcon ? bigIcon : smallIcon) = hIcon;
}

int FakeHost::ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    boxes.push_back({text, caption, icon});
    if (onMessageBox)
        onMessageBox(boxes.back());
    return IDOK;
}

void FakeHost::DefaultSysCommand(unsigned nID, long lParam)
{
    calls.push_back("sys " + std::to_string(nID) + " " + std::to_string(lParam));
}

void FakeHost::DefaultPaint()
{
    calls.push_back("paint");
}

void FakeHost::PaintIcon(IconHandle hIcon, int x, int y)
{
    calls.push_back(std::string(hIcon == FakeIcon(IDR_MAINFRAME) ? "icon " : "other-icon ") + std::to_string(x) + " " +
                    std::to_string(y));
}

}  // namespace test
}  // namespace lesamo
