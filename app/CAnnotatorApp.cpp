#include "CAnnotatorApp.h"

#include "CAnnotatorDlg.h"

bool CAnnotatorApp::InitInstance()
{
    CAnnotatorDlg dialog;
    dialog.exec();
    return false;
}
