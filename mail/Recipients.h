#pragma once
// The recipients text of the mail dialog: addresses separated by ";" (or ",").

#include <optional>
#include <string>
#include <vector>

namespace mail {

// Commas separate recipients as well; the dialog hands on only semicolons.
std::string CommasToSemicolons(std::string text);

// The addresses, field by field at ";", up to the first empty field (so ";;" ends the
// list). Blanks around an address belong to the separator ("a@b.de; c@d.de") and are
// dropped; a field of blanks only is skipped.
std::vector<std::string> SplitRecipients(const std::string& text);

// What enables the send button: the text holds an "@" and a "." somewhere.
bool RecipientsLookSendable(const std::string& text);

// The first address of the text (commas counted as separators) that cannot be handed
// to the mail client safely, if any.
std::optional<std::string> FindUnsafeRecipient(const std::string& text);

}  // namespace mail
