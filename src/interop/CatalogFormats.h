// Movies from the XML of catalogs: our own export, Tellico video collections (the XML alone or
// inside a ".tc" zip) and GCstar movie collections (".gcs").
#pragma once

#include <libxml/tree.h>

#include <string>

#include "interop/ImportBatch.h"

namespace reelkeep {

class ZipArchive;

// Where the pictures a catalog names may come from: the archive that held the document, and
// the folder of the file (pictures beside it or below it, never elsewhere).
struct PictureOrigin {
    const ZipArchive* archive = nullptr;
    std::string folder;  // ends in "/"; empty when pictures beside the file are not looked for
};

ImportBatch ReadReelkeepXml(const xmlDoc& document, const std::string& fileName);
ImportBatch ReadTellico(const xmlDoc& document, const std::string& fileName,
                        const PictureOrigin& origin);
ImportBatch ReadGcstar(const xmlDoc& document, const std::string& fileName,
                       const PictureOrigin& origin);

// The full path of a picture that an outside file names, when it lies in `folder` or below
// it (links followed); empty otherwise.
std::string PictureBeside(const std::string& folder, const std::string& name);

}  // namespace reelkeep
