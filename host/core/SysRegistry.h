// Inside the host: the objects that the system registry holds from the start.
#pragma once

class AcRxObject;

namespace brevant::host {

// Made once, when the registry is first asked for.
AcRxObject* newDynamicLinker();
AcRxObject* newEditor();

}  // namespace brevant::host
