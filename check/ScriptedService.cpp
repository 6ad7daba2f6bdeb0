#include "ScriptedService.h"

#include "cObjectDOutput.h"

void ScriptedService::answer(std::unique_ptr<cObject> object) {
    objects.push_back(std::move(object));
}

void ScriptedService::start(const char* /*host*/, int /*port*/) {}

cObjectList* ScriptedService::get(cObjectList* /*request*/) {
    response = std::make_unique<cObjectList>();
    for (const std::unique_ptr<cObject>& object : objects) {
        response->add(object.get());
    }
    return response.get();
}

void ScriptedService::set(cObject* object) {
    writtenState = static_cast<cObjectDOutput*>(object)->getOutputState();
    ++writes;
}
