// Inside the host: the editor object with its reactors, and how the editor
// raises a notification.
#pragma once

#include "aced.h"
#include "editor/Documents.h"

#include <algorithm>
#include <vector>

namespace brevant::host {

class Editor : public AcEditor {
public:
    const char* className() const override;
    // A reactor added twice is held once; removing one that is not held does nothing.
    void addReactor(AcEditorReactor* newObj) override;
    void removeReactor(AcEditorReactor* delObj) override;

    bool has(const AcEditorReactor* pReactor) const;
    std::vector<AcEditorReactor*> reactors() const { return m_reactors; }

private:
    std::vector<AcEditorReactor*> m_reactors;
};

Editor& editor();

// Calls fn(reactor) for every reactor in the order they were added, in the
// application context. A reactor removed by an earlier one is skipped; one
// added meanwhile hears from the next notification on.
template <class Fn>
void notify(Fn fn) {
    ApplicationContextScope context;
    Editor& theEditor = editor();
    for (AcEditorReactor* pReactor : theEditor.reactors()) {
        if (theEditor.has(pReactor)) {
            fn(pReactor);
        }
    }
}

}  // namespace brevant::host
