#include "view/view.h"

Document& view_doc() {
    static Document doc;
    return doc;
}
