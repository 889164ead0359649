// The page template (resources/page.html): the style sheet, the scripts that
// make the page behave like a dialog, and setBody and the click reports that
// Setup talks to it with. Its body is empty until the first page is set.
//
// The template carries a content-security policy: only its own scripts (which
// carry the nonce) run, no event-handler attribute in a configuration text
// does, and nothing is loaded from elsewhere; the images of configuration
// texts come from the medium folder only.
#pragma once

#include <string>

namespace installer {

// The template as written, with the %%POLICY%% and %%NONCE%% marks.
const char* PageTemplate();

// The template with its policy, its scripts marked with `nonce`.
std::string PageTemplateFor(const std::string& nonce);

// A fresh nonce: 128 random bits in hexadecimal.
std::string NewScriptNonce();

}  // namespace installer
