// Global records shared by all windows that need no window handles (portable).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"

struct MarkedLink {
    Key from = 0, to = 0;
    bool operator==(const MarkedLink&) const = default;
};

// Pending same-as mode (Kind 3 = shapes; Mode 0 size, 1 height, 2 width).
struct SameAs { int kind = 0, mode = 0; };

// A return point of a jump into another document; newest first in `gosub_`.
struct Gosub {
    Key object_key = 0;
    std::string object_id;
    int depth = 0;
    std::string document;
    int scroll_x = 0, scroll_y = 0;
};

// What opened the current pop-up menu: two fields whose meaning the opener chooses (keys, or a
// point's coordinates, which need all 32 bits).
struct PopupSource { int32_t a = 0, b = 0; };

// The marked objects, each by its key and, where the marking knew it, by its place in the
// document's objects. Keys repeat only in a document of more objects than keys (as old files
// may be); there the place tells a marked object from the others of its key, and edits act on
// the objects marked, never on the first of their keys. Reads as the list of keys.
class MarkedObjs {
public:
    static constexpr uint32_t kFirst = UINT32_MAX;  // no place known: the first object of the key
    using value_type = Key;
    using const_iterator = std::vector<Key>::const_iterator;
    using iterator = const_iterator;

    MarkedObjs() = default;
    // Keys alone name the first object of each.
    MarkedObjs& operator=(std::vector<Key> keys) {
        ++version_;
        keys_ = std::move(keys);
        places_.assign(keys_.size(), kFirst);
        return *this;
    }
    operator const std::vector<Key>&() const { return keys_; }
    const std::vector<Key>& keys() const { return keys_; }
    uint32_t place(size_t i) const { return places_[i]; }
    void assign(size_t n, Key k) {
        ++version_;
        keys_.assign(n, k);
        places_.assign(n, kFirst);
    }
    void push_back(Key k, uint32_t place = kFirst) {
        ++version_;
        keys_.push_back(k);
        places_.push_back(place);
    }
    void reserve(size_t n) {
        keys_.reserve(n);
        places_.reserve(n);
    }
    void clear() {
        ++version_;
        keys_.clear();
        places_.clear();
    }
    void erase_at(size_t i) {
        ++version_;
        keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
        places_.erase(places_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    // Drops the entries whose key `gone` names.
    template <class F>
    void erase_keys_if(F gone) {
        ++version_;
        size_t out = 0;
        for (size_t i = 0; i < keys_.size(); ++i) {
            if (gone(keys_[i])) continue;
            keys_[out] = keys_[i];
            places_[out++] = places_[i];
        }
        keys_.resize(out);
        places_.resize(out);
    }
    bool empty() const { return keys_.empty(); }
    size_t size() const { return keys_.size(); }
    Key front() const { return keys_.front(); }
    Key back() const { return keys_.back(); }
    Key operator[](size_t i) const { return keys_[i]; }
    const_iterator begin() const { return keys_.begin(); }
    const_iterator end() const { return keys_.end(); }
    friend bool operator==(const MarkedObjs& m, const std::vector<Key>& v) { return m.keys_ == v; }
    // Differs after every change of the list.
    uint64_t version() const { return version_; }

private:
    std::vector<Key> keys_;
    std::vector<uint32_t> places_;
    uint64_t version_ = 0;
};

extern MarkedObjs marked_obj_;
extern std::vector<MarkedLink> marked_link_;
extern std::vector<Key> marked_shape_;
extern std::vector<int> marked_para_;
extern std::optional<int> create_obj_later_;
extern std::optional<SameAs> same_as_;
extern std::vector<Gosub> gosub_;
extern std::optional<PopupSource> popup_menu_inst_;
// The last main-menu command run (for Repeat); 0 before any.
extern int last_cmd_;
