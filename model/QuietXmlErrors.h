#pragma once

#include <functional>
#include <utility>

#include <libxml/globals.h>
#include <libxml/xmlerror.h>

// The program keeps no log: libxml2's complaints about a damaged file would
// only reach a terminal nobody reads. A recovering parse goes on after a
// fatal error with part of the file missing, so whether one was seen is
// kept for the caller, who may also be told of each error as it comes.
// Restores the previous handler on exit.
class QuietXmlErrors {
public:
    using Observer = std::function<void(const xmlError&)>;

    explicit QuietXmlErrors(Observer observer = {})
        : m_previous(xmlStructuredError), m_previousContext(xmlStructuredErrorContext),
          m_observer(std::move(observer))
    {
        xmlSetStructuredErrorFunc(this, &QuietXmlErrors::Note);
    }
    ~QuietXmlErrors() { xmlSetStructuredErrorFunc(m_previousContext, m_previous); }
    QuietXmlErrors(const QuietXmlErrors&) = delete;
    QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;

    bool SawFatalError() const { return m_fatal; }
    // Errors and warnings alike.
    long ErrorCount() const { return m_count; }

private:
    static void Note(void* self, xmlErrorPtr error)
    {
        auto* quiet = static_cast<QuietXmlErrors*>(self);
        ++quiet->m_count;
        if (error == nullptr)
            return;
        if (error->level == XML_ERR_FATAL)
            quiet->m_fatal = true;
        if (quiet->m_observer)
            quiet->m_observer(*error);
    }

    xmlStructuredErrorFunc m_previous;
    void* m_previousContext;
    Observer m_observer;
    bool m_fatal = false;
    long m_count = 0;
};
