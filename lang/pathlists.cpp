#include "pathlists.h"

#include <vector>

namespace {

struct WindowPaths
{
    const char *window;
    std::vector<const char *> paths;
};

const WindowPaths kLists[] = {
    {"Form1",
     {
         "Caption",
         "File1.Caption",
         "Refreshdata1.Caption",
         "Language2.Caption",
         "Exit1.Caption",
         "Back1.Caption",
         "View1.Caption",
         "Refresh1.Caption",
         "Dataselector1.Caption",
         "Sites1.Caption",
         "Configuration1.Caption",
         "Help1.Caption",
         "Index1.Caption",
         "Keywordsearch1.Caption",
         "VRAhomepage1.Caption",
         "About1.Caption",
     }},
    {"frmConfig",
     {
         "Caption",
         "tabCompany.Caption",
         "Label1.Caption",
         "Label2.Caption",
         "Label3.Caption",
         "Label4.Caption",
         "Label5.Caption",
         "Label6.Caption",
         "Label7.Caption",
         "Label8.Caption",
         "Label9.Caption",
         "Label10.Caption",
         "Label38.Caption",
         "Label39.Caption",
         "tabProgram.Caption",
         "Label11.Caption",
         "Label12.Caption",
         "Label13.Caption",
         "Label14.Caption",
         "Label15.Caption",
         "Label16.Caption",
         "Label17.Caption",
         "Label18.Caption",
         "Label19.Caption",
         "Label20.Caption",
         "Label21.Caption",
         "Label22.Caption",
         "dteTrialEndDate.Caption",
         "Label23.Caption",
         "Label24.Caption",
         "Label25.Caption",
         "Label26.Caption",
         "Label27.Caption",
         "Label28.Caption",
         "Label29.Caption",
         "Label30.Caption",
         "Label31.Caption",
         "Label37.Caption",
         "btnBrowseFile.Caption",
         "cboLicense.Items",
         "cboOS.Items",
         "cboInstall.Items",
         "tabDesc.Caption",
         "Label32.Caption",
         "Label33.Caption",
         "Label34.Caption",
         "Label35.Caption",
         "Label36.Caption",
         "tabOptions.Caption",
         "chkSiteEffects.Caption",
         "File1.Caption",
         "Savecompany1.Caption",
         "Saveprogram1.Caption",
         "ImportPAD1.Caption",
         "Exit1.Caption",
         "Program1.Caption",
         "NewProgram1.Caption",
         "DeleteProgram1.Caption",
         "Help1.Caption",
         "ConfiguringKelsprint1.Caption",
     }},
    {"frmData",
     {
         "Caption",
     }},
    {"frmSites",
     {
         "Caption",
         "Label1.Caption",
         "Label2.Caption",
         "Label3.Caption",
         "dcbSubmitted.Caption",
         "dcbPublished.Caption",
         "dcbOldVer.Caption",
         "ToolBar1.Caption",
         "ToolButton1.Hint",
         "ToolButton1.Caption",
         "ToolButton2.Hint",
         "ToolButton2.Caption",
         "ToolButton3.Hint",
         "ToolButton3.Caption",
         "ToolButton4.Hint",
         "ToolButton4.Caption",
         "ToolButton5.Hint",
         "ToolButton5.Caption",
         "Navigate1.Caption",
         "Home1.Caption",
         "Search1.Caption",
         "Submit1.Caption",
         "Update1.Caption",
     }},
    {"AboutBox",
     {
         "Caption",
         "lblBuild.Caption",
         "Version.Caption",
         "Copyright.Caption",
         "Label1.Caption",
         "OKButton.Caption",
     }},
};

} // namespace

QStringList LanguagePaths(const QString &windowName)
{
    for (const WindowPaths &list : kLists) {
        const QString window = QLatin1String(list.window);
        if (window != windowName)
            continue;
        QStringList out;
        for (const char *path : list.paths)
            out << window + u'.' + QLatin1String(path);
        return out;
    }
    return {};
}

QStringList LanguageWindows()
{
    QStringList out;
    for (const WindowPaths &list : kLists)
        out << QLatin1String(list.window);
    return out;
}
