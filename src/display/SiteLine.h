#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace skyloom::display {

// One line of a site list (near list, order list, data-sites list, selected site).
// Layout: the visible text, blanks up to 200 characters, then the hidden key
// "lat, lon#wmo" with the coordinates in degrees written "0.00". Readers find the
// key in the last 30 characters of the line, so a line keeps working when its
// visible part is changed in place (the order list writes its years field there).
class SiteLine {
public:
    static constexpr std::size_t kVisibleWidth = 200;
    static constexpr std::size_t kKeyTail = 30;

    // "lat, lon#wmo", coordinates formatted "0.00".
    static std::string key(double latDeg, double lonDeg, long wmo);
    // visible + blanks up to 200 characters + key. A visible text of 200
    // characters or more gets one blank so that the key stays a separate word.
    static std::string compose(std::string_view visible, std::string_view key);
    static std::string compose(std::string_view visible, double latDeg, double lonDeg, long wmo);

    // Reads a line; nullopt when its last 30 characters hold no "#" followed by a number.
    static std::optional<SiteLine> parse(std::string_view line);

    const std::string& text() const { return text_; }
    long wmo() const { return wmo_; }
    // Coordinates as written in the key (degrees), and their texts.
    double lat() const { return lat_; }
    double lon() const { return lon_; }
    const std::string& latText() const { return latText_; }
    const std::string& lonText() const { return lonText_; }
    // The key as it stands in the line, from the latitude to the end.
    std::string keyText() const { return text_.substr(keyStart_); }
    // The text before the key, trailing blanks removed.
    std::string visible() const;
    // The station's label: the visible text before " =>", trimmed (all of it when
    // there is no " =>").
    std::string label() const;
    // The name a line is shown by: the visible text before " from ", trimmed;
    // lines without " from " (near and order lists) give their label.
    std::string displayName() const;
    // The same line laid out afresh: visible part padded to 200, then the key.
    std::string canonical() const { return compose(visible(), keyText()); }

private:
    std::string text_;
    std::size_t keyStart_ = 0;
    long wmo_ = 0;
    double lat_ = 0.0;
    double lon_ = 0.0;
    std::string latText_;
    std::string lonText_;
};

}  // namespace skyloom::display
