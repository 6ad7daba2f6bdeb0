#include "ScriptedService.h"

void ScriptedService::answer(std::unique_ptr<cObject> object) {
    objects.push_back(std::move(object));
}

bool ScriptedService::start(const char* /*host*/, int /*port*/) {
    return true;
}

cObjectList* ScriptedService::get(cObjectList* /*request*/) {
    response.clear();
    for (const std::unique_ptr<cObject>& object : objects) {
        response.adopt(std::unique_ptr<cObject>(object->clone()));
    }
    return &response;
}

bool ScriptedService::set(cObject* object) {
    writtenState = static_cast<cObjectDOutput*>(object)->getOutputState();
    ++writes;
    return true;
}
