// Functions the program offers its templates, in the namespace kTemplateFunctionsUri.
//   text-beside(NAME)  the text of the style sheet NAME (a bare name ending in ".css") in
//                      the folder of the template that calls it; empty when there is none.
//                      An exported page embeds its styles with it, so that it looks as it
//                      does in the pane wherever it is opened.
#pragma once

namespace reelkeep {

inline constexpr const char* kTemplateFunctionsUri = "urn:reelkeep:template-functions";

// Called once by the XML runtime's set-up.
void RegisterTemplateFunctions();

}  // namespace reelkeep
