// The options pages of a station: "DataPage" (transfer options) and "DirectoriesPage" (paths).
//
// Opening a page stops Timer1 and enters DataPageMode, remembering the mode before in OldMode;
// OK returns to the status page and to that mode. The controls on the pages are the settings
// themselves and act at once; OK only saves. modify follows the change-tracking events of the
// controls, except while loading (InitFlag) fires them.
#include "station/TMDIChild.h"

namespace talvix {

void TMDIChild::DataPageItemClick()
{
    openOptionsPage(TBookPage::DataPage);
}

void TMDIChild::DirectoriesItemClick()
{
    openOptionsPage(TBookPage::DirectoriesPage);
}

void TMDIChild::openOptionsPage(TBookPage page)
{
    if (!host_.CheckPassword())
        return;
    Timer1->setEnabled(false);
    Presentation.setBook(page);
    SetMode(DataPageMode);
}

// A refused save keeps the page's settings in force; the main window has shown why.
void TMDIChild::StatusPageBtn1Click()
{
    const TBookPage page = Presentation.book();
    if (page == TBookPage::DataPage || page == TBookPage::DirectoriesPage)
        host_.SaveSingleChild(*this);
    Presentation.setBook(TBookPage::StatusPage);
    SetMode(OldMode);
    Timer1->setEnabled(true);
}

void TMDIChild::DirectoriesOkBtnClick()
{
    const DirectoriesOkResult checked = Naming.DirectoriesOkCheck(dialogs_);
    if (checked.FileExists)
        stopAtTakenFileNumber(*checked.FileExists);
    if (checked.Accepted)
        StatusPageBtn1Click();
}

void TMDIChild::AutoRecBoxEnter()
{
    modify = true;
}

void TMDIChild::AutoProgBoxClick()
{
    if (!InitFlag)
        modify = true;
}

void TMDIChild::ZielDateiGroupClick()
{
    SetTlvDatSize("");
}

} // namespace talvix
