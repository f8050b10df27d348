#pragma once

#include <libxml/xmlerror.h>

// The program keeps no log: libxml2's complaints about a damaged file would
// only reach a terminal nobody reads. A recovering parse goes on after a
// fatal error with part of the file missing, so whether one was seen is
// kept for the caller. Restores the default handler on exit.
class QuietXmlErrors {
public:
    QuietXmlErrors() { xmlSetStructuredErrorFunc(this, &QuietXmlErrors::Note); }
    ~QuietXmlErrors() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    QuietXmlErrors(const QuietXmlErrors&) = delete;
    QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;

    bool SawFatalError() const { return m_fatal; }

private:
    static void Note(void* self, xmlErrorPtr error)
    {
        if (error != nullptr && error->level == XML_ERR_FATAL)
            static_cast<QuietXmlErrors*>(self)->m_fatal = true;
    }

    bool m_fatal = false;
};
