#include "cWlog2.h"

cWlog2::cWlog2(const char* component)
    : component(component != nullptr ? component : ""),
      log(this->component.c_str()),
      debug(this->component.c_str()),
      error(this->component.c_str()) {}
