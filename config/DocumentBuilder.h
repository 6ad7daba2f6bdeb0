#ifndef TARWENDLE_CONFIG_DOCUMENTBUILDER_H
#define TARWENDLE_CONFIG_DOCUMENTBUILDER_H

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

/*
 * Builds a document from the JSON library's parse events and refuses one
 * nested deeper than a limit, as soon as the container that goes too deep
 * opens. The library's own parse with a filter callback does the same but
 * scans the parent container each time an object closes, which makes a
 * document of many objects quadratic to load; this builder only ever
 * touches the container that is open.
 */
class DocumentBuilder {
public:
    using json = nlohmann::json;

    // `maxNesting` containers may be open at once; the next one is refused
    // with std::out_of_range.
    explicit DocumentBuilder(int maxNesting);

    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    // The document built, once the parse has succeeded.
    json take() { return std::move(document); }

    // The parser's events.
    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(json::number_integer_t value) { return add(value); }
    bool number_unsigned(json::number_unsigned_t value) { return add(value); }
    bool number_float(json::number_float_t value, const std::string& /*text*/) {
        return add(value);
    }
    bool string(std::string& value) { return add(std::move(value)); }
    bool binary(json::binary_t& value) { return add(std::move(value)); }
    bool start_object(std::size_t /*size*/) { return open(json::value_t::object); }
    bool key(std::string& name);
    bool end_object() { return close(); }
    bool start_array(std::size_t /*size*/) { return open(json::value_t::array); }
    bool end_array() { return close(); }

    // A parse error leaves as the very exception the library made, so that
    // its type, code and text are those of a plain parse.
    template <class Exception>
    bool parse_error(std::size_t /*position*/, const std::string& /*lastToken*/,
                     const Exception& error) {
        throw error;
    }

private:
    // Places a value where the parse stands: the document itself, the next
    // element of the open array or the member just named.
    json* place(json value);
    bool add(json value) {
        place(std::move(value));
        return true;
    }
    bool open(json::value_t kind);
    bool close();

    const int maxNesting;
    json document;
    // The containers open, outermost first; each lives inside its parent.
    std::vector<json*> openContainers;
    // The member that the last key named in the innermost open object.
    json* member = nullptr;
};

#endif
