// Reading: what a load leaves behind in the process.

#include <gtest/gtest.h>

#include <libxml/encoding.h>

#include "FileFormatFixture.h"
#include "Timeline.h"

// libxml2's global state belongs to the whole process (another thread may
// be parsing): a load tears none of it down.
TEST_F(FileFormat, LoadLeavesTheXmlLibraryAsItFoundIt)
{
    ASSERT_EQ(xmlAddEncodingAlias("UTF-8", "QUILL-TEST-ALIAS"), 0);
    LoadBody("<piste libelle='a'/>");
    EXPECT_STREQ(xmlGetEncodingAlias("QUILL-TEST-ALIAS"), "UTF-8");
    xmlDelEncodingAlias("QUILL-TEST-ALIAS");
}
