// Tallies of text values: how often each distinct value occurs among a
// folder's tracks, to find whether artists, albums or genres agree and which
// value prevails.
//
// A tally is a std::forward_list of fieldvars, head first. A new value goes
// in at the head and counting an existing value does not move it, so a walk
// meets the values from the one first seen last to the one seen first. Values
// compare exactly (code unit by code unit; case and blanks count).
#pragma once

#include <cstdint>
#include <forward_list>
#include <string>

namespace checker {

struct fieldvars {
    std::u16string field;
    std::int32_t count = 1;
};

// A tally: its list of distinct values, head first; empty when none.
using fieldvarsptr = std::forward_list<fieldvars>;

// A new node (count 1) at the head; no test for empty or repeated values.
void addfield(fieldvarsptr& head, std::u16string s);
// Removes the head node; nothing on an empty tally.
void popfield(fieldvarsptr& head);
void clearfields(fieldvarsptr& head);
// Counts one occurrence of s; the empty text is never counted.
void countfield(const std::u16string& s, fieldvarsptr& head);
// countfield(s1, head1), then countfield(s2, head2).
void countpair(const std::u16string& s1, const std::u16string& s2, fieldvarsptr& head1,
               fieldvarsptr& head2);
// The value with the highest count; among equal counts the one nearest the
// head (whose first occurrence came latest). Empty for an empty tally.
std::u16string topfield(const fieldvarsptr& head);

} // namespace checker
