#ifndef TARWENDLE_OBJECTS_COBJECTFRAMEPARSER_H
#define TARWENDLE_OBJECTS_COBJECTFRAMEPARSER_H

#include <cstddef>
#include <functional>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cObjectList.h"

/*
 * Reads one frame's document as the JSON library parses it, without ever
 * holding the whole document: each entry of "objects" is gathered alone,
 * turned into its object and dropped, and members the layout does not use
 * are skipped unstored. Nesting deeper than the layout allows is refused
 * where it is met, and a long token the JSON library would refuse is
 * refused before it reads the fault (cJsonTokenGuard). So no answer within
 * the frame bound can make the reader take much more memory than the
 * objects it lists, and no depth can exhaust the stack.
 *
 * The result is what parsing the document whole would give: the top-level
 * members in `head` (an absent member absent, a container member an empty
 * container of its kind, so that the caller's checks refuse it) and the
 * decoded objects in the list. A later duplicate member replaces the earlier.
 */
class cObjectFrameParser {
public:
    // The document, "objects", an entry, and one level inside an entry's or
    // the document's unknown members, for later versions of the layout.
    static constexpr std::size_t MAX_DEPTH = 4;

    // Turns one entry of "objects" into its object and appends it to the
    // list, or throws. It may take what it needs out of the entry.
    using EntryDecoder = std::function<void(nlohmann::json&, cObjectList&)>;

    cObjectFrameParser(cObjectList& objects, EntryDecoder decodeEntry);

    // Parses the payload. Throws what the entry decoder throws, and
    // std::out_of_range when the document is not valid JSON, not an object,
    // or nested too deeply.
    void parse(const char* data, std::size_t size);
    // The same, reading the payload from a stream to its end.
    void parse(std::istream& payload);
    void parse(std::streambuf& payload);

    // The document's own members; the caller may take them.
    nlohmann::json& getHead() { return head; }
    // Whether "objects" was present and an array (the list then holds its objects).
    bool hasObjectList() const { return objectList; }

    // The JSON library's event interface.
    bool null();
    bool boolean(bool value);
    bool number_integer(nlohmann::json::number_integer_t value);
    bool number_unsigned(nlohmann::json::number_unsigned_t value);
    bool number_float(nlohmann::json::number_float_t value, const std::string& text);
    bool string(std::string& value);
    bool binary(nlohmann::json::binary_t& value);
    bool start_object(std::size_t elements);
    bool key(std::string& name);
    bool end_object();
    bool start_array(std::size_t elements);
    bool end_array();
    bool parse_error(std::size_t position, const std::string& last,
                     const nlohmann::detail::exception& error);

private:
    enum class eScope { DOCUMENT, OBJECTS, ENTRY, SKIPPED };

    // A scalar, or an empty container standing for one, at the current place.
    void place(nlohmann::json value);
    void open(bool isObject);
    void close();

    cObjectList& list;
    EntryDecoder decodeEntry;
    nlohmann::json head = nlohmann::json::object();
    nlohmann::json entry;
    std::string name;  // the member whose value comes next
    std::vector<eScope> scopes;
    bool objectList = false;
    std::string failure;  // the JSON library's parse error
};

#endif
