#include "CAnnotatorApp.h"

#include <cstdio>
#include <exception>
#include <string>

#include <QMessageBox>
#include <QTimer>

#include "CAnnotatorDlg.h"
#include "ErrorBoundary.h"
#include "RecoveryPrompt.h"
#include "StateFolders.h"

const char* const CAnnotatorApp::kStartFailedText = "Quillmark n'a pas pu démarrer.";

CAnnotatorApp::CAnnotatorApp(StartOptions options)
    : m_options(std::move(options)), m_makeWindow([] { return std::make_unique<CAnnotatorDlg>(); })
{
}

bool CAnnotatorApp::InitInstance()
{
    // Before anything else: what a killed Quillmark left is worth more than
    // what this start was asked to open.
    auto recovered = std::make_shared<std::optional<FoundCopy>>(OfferRecovery(RecoveryFolder()));
    std::unique_ptr<CAnnotatorDlg> dialog;
    try {
        dialog = m_makeWindow();
    } catch (...) {
        // The players start inside the window's construction; without this
        // the process would end with no word at all.
        ReportFailure(std::current_exception(), [](const std::string& reason) {
            const std::string text = std::string(kStartFailedText) + "\n" + reason;
            std::fprintf(stderr, "%s\n", text.c_str());
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillmark"), QString::fromStdString(text),
                            QMessageBox::Ok);
            box.exec();
        });
        m_exitCode = 1;
        return false;
    }
    if (m_options.reactionDelayMs)
        dialog->UseReactionDelayForRun(*m_options.reactionDelayMs);
    // Once the modal run has shown the window: the players load only into a
    // shown window, and showing it resets the annotation folder.
    QTimer::singleShot(0, dialog.get(), [window = dialog.get(), options = m_options, recovered] {
        if (*recovered && window->ResumeRecovered(std::move(**recovered)))
            return;
        window->OpenStartFiles(options);
    });
    dialog->exec();
    return false;
}
