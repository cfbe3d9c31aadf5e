#pragma once
// The display templates that numbers are laid out by: "#" marks a digit position, a digit a fixed
// digit, everything else is literal text.
#include "foundation/Array.h"
#include "foundation/WString.h"

struct PhoneTemplateSet {
    Array<WString> Templates;     // in their order of use
    Array<int> PlaceholderCounts; // at the same index: the template's characters in "#1234567890"
    int Enabled = 0;              // formatting is refused while off; every load turns it on
    int IgnoreHyphens = 0;        // drop hyphens inside a number's digit run; every load turns it on
};

// Fills the set from the settings key "Templates" ("Count" and the values "0" to Count - 1), or with
// the built-ins when "Count" is missing or not a 32-bit number. Empty templates and those holding any
// of "[]{}<>" are skipped; a "Count" below 1 leaves the set empty. Only the values that exist are
// read, so a huge "Count" costs no more than the key's own values.
void LoadTemplates(PhoneTemplateSet& set);

// Replaces the content of the set with the four built-in templates.
void LoadDefaultTemplates(PhoneTemplateSet& set);
