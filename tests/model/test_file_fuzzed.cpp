// Files that the fuzzing of the reader found faults with, reduced to what
// makes each fault.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "FileFormatFixture.h"
#include "Timeline.h"

// Text after an element that the reader releases as the parser closes it:
// the parser appended it to the text before the element at the length of the
// text inside the element, writing far past the end of the node.
TEST_F(FileFormat, TextAroundReleasedElementsIsNotWrittenPastItsNode)
{
    const std::string inner(100000, 'x');
    const std::string seg = "<segment debut='1' fin='2'>" + inner + "<contenu titre='t'/></segment>";
    const std::pair<std::string, size_t> cases[] = {
        {"<corps>abc<piste libelle='1'>" + inner + "</piste>def</corps>", 0},
        {"<corps>ab<piste libelle='1'>cd" + seg + "ef" + seg + "gh</piste>ij</corps>", 2},
        {"<corps>a<autre>" + inner + "</autre>b<piste libelle='1'/>c</corps>", 0},
    };
    for (const auto& [content, segments] : cases) {
        ASSERT_TRUE(m_timeline.LoadFile(Write("text.xml", content))) << content.substr(0, 40);
        ASSERT_EQ(m_timeline.Tracks().GetCount(), 1);
        EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), "1");
        EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetSegments().size(), segments);
    }
}
