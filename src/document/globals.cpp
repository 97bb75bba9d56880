#include "document/globals.h"

MarkedObjs marked_obj_;
std::vector<MarkedLink> marked_link_;
std::vector<Key> marked_shape_;
std::vector<int> marked_para_;
std::optional<int> create_obj_later_;
std::optional<SameAs> same_as_;
std::vector<Gosub> gosub_;
std::optional<PopupSource> popup_menu_inst_;
int last_cmd_ = 0;
