// The page template (resources/page.html): the style sheet, the scripts that
// make the page behave like a dialog, and setBody and the click reports that
// Setup talks to it with. Its body is empty until the first page is set.
#pragma once

namespace installer {

const char* PageTemplate();

}  // namespace installer
