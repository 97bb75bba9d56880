// The Toolbar Editor's portable steps: what Accept changes and stores.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bars/tbar.h"

// Stored value of a user layout: [Orientation, 1, buttons...].
std::vector<int> tbar_store_value(const TbarStyle& s);

// Settings-store name of user layout N (1-4).
std::string tbar_store_name(int n);

// Accept: layout `style` gets `buttons` (in list order) and `orientation`, becomes current,
// and the four user layouts are given back as (name, value) to store. Nothing changes and
// nothing is stored without a layout.
std::vector<std::pair<std::string, std::vector<int>>> tbar_editor_accept(TbarModel& m, std::optional<int> style,
                                                                          const std::vector<int>& buttons,
                                                                          int orientation);
