// Memory for the nodes of large catalog documents. A document of many movies is millions of
// small nodes made at once and freed at once. Taken from the heap, every fresh page of them
// costs the system a fault of its own; here they come from large blocks that are handed over
// in bulk as they fill, and a block goes back to the system when its last node is freed.
#pragma once

#include <cstddef>

namespace reelkeep {

// Makes libxml2 allocate through the arena's functions. Memory that libxml2 took before, and
// every allocation made outside an XmlArenaScope, is the C library's heap as before. Called
// once by EnsureXmlRuntime, before the libraries are initialised.
void InstallXmlArena();

// While alive, libxml2's small allocations on this thread come from the arena. Any thread may
// free them later. Scopes nest.
class XmlArenaScope {
public:
    XmlArenaScope();
    ~XmlArenaScope();
    XmlArenaScope(const XmlArenaScope&) = delete;
    XmlArenaScope& operator=(const XmlArenaScope&) = delete;
};

// Blocks the arena holds from the system now (for tests and benchmarks).
std::size_t XmlArenaBlocks();

}  // namespace reelkeep
