#pragma once
// Laying a phone number out by the display templates.
#include "foundation/WString.h"
#include "phonenumbers/PhoneTemplates.h"

// Splits text around its run of charClass characters: head before the first, core from the first to
// the last inclusive, tail after the last. A text without any is all core.
void SplitDigitRun(const WString& text, const wchar_t* charClass, WString& head, WString& core,
                   WString& tail);

// The end of a head that introduces the core: a prefix-end character and the openers right before
// it ("+(" in "tel +("), split from the rest of the head.
void SplitOpenerGroup(const WString& head, WString& headRest, WString& openerGroup);

// The leading run of closers of a tail (none when the tail starts with a space), split from the rest.
void SplitCloserGroup(const WString& tail, WString& closerGroup, WString& tailRest);

// True when the number core fits the template core: the same count of digit positions with every
// fixed digit equal, no separator in the number core, and the same other characters in the same
// order (compared without regard to case; the template's separators are free).
bool MatchTemplateCore(const WString& templateCore, const WString& numberCore);

// Replaces number by its layout through the first fitting template (those with fixed digits first)
// and returns true; returns false and leaves it untouched when none fits, the set is off or empty,
// or the number has no digit or holds a dial-control character ("*#,wWpP").
bool FormatPhoneNumber(const PhoneTemplateSet* set, WString& number);
