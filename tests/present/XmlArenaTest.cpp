// The arena behind the nodes of large documents: what libxml2 takes inside a scope comes from
// blocks that go back to the system when the last of it is freed, on whatever thread.
#include "present/XmlArena.h"

#include <gtest/gtest.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include <cstring>
#include <thread>
#include <vector>

#include "present/XmlRuntime.h"

namespace reelkeep {
namespace {

class XmlArenaTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureXmlRuntime();
        blocksBefore = XmlArenaBlocks();
    }
    std::size_t blocksBefore = 0;
};

TEST_F(XmlArenaTest, ATreeMadeInAScopeIsFreedOnAnotherThreadAndItsBlocksGoBack) {
    xmlDoc* document = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    xmlNode* root = xmlNewDocNode(document, nullptr, reinterpret_cast<const xmlChar*>("r"), nullptr);
    xmlDocSetRootElement(document, root);
    {
        const XmlArenaScope arena;
        // Enough nodes to fill more than one block.
        for (int i = 0; i < 400000; ++i) {
            xmlNewTextChild(root, nullptr, reinterpret_cast<const xmlChar*>("e"),
                            reinterpret_cast<const xmlChar*>("some text of the node"));
        }
        EXPECT_GE(XmlArenaBlocks(), blocksBefore + 2);
    }
    EXPECT_EQ(xmlChildElementCount(root), 400000u);
    std::thread([document] { xmlFreeDoc(document); }).join();
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore);
}

TEST_F(XmlArenaTest, ReallocKeepsTheBytesAndOutsideAScopeNothingIsTaken) {
    char* grown = nullptr;
    char* large = nullptr;
    {
        const XmlArenaScope arena;
        char* text = xmlMemStrdup("arena text");
        EXPECT_EQ(XmlArenaBlocks(), blocksBefore + 1);
        grown = static_cast<char*>(xmlRealloc(text, 100000));  // beyond what a block takes
        ASSERT_NE(grown, nullptr);
        EXPECT_STREQ(grown, "arena text");
        large = static_cast<char*>(xmlMalloc(1 << 20));
        ASSERT_NE(large, nullptr);
        std::memset(large, 1, 1 << 20);
    }
    // Nothing of the block is in use any more: it went back at the end of the scope.
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore);
    xmlFree(grown);
    xmlFree(large);

    char* plain = xmlMemStrdup("heap text");
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore);
    char* moved = static_cast<char*>(xmlRealloc(plain, 64));
    EXPECT_STREQ(moved, "heap text");
    xmlFree(moved);
}

TEST_F(XmlArenaTest, ABlockOutlivesItsScopeWhileItsMemoryIsInUse) {
    std::vector<char*> kept;
    {
        const XmlArenaScope outer;
        {
            const XmlArenaScope inner;  // scopes nest
            kept.push_back(xmlMemStrdup("first"));
        }
        kept.push_back(xmlMemStrdup("second"));
    }
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore + 1);
    xmlFree(kept[0]);
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore + 1);
    EXPECT_STREQ(kept[1], "second");
    xmlFree(kept[1]);
    EXPECT_EQ(XmlArenaBlocks(), blocksBefore);
}

}  // namespace
}  // namespace reelkeep
