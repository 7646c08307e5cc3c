// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the factory templates of the default model into an Init folder: ZT-450E_0_NEW.dat (the
// new document) and ZT-450E_0.dat (the Initialise command's factory data), each with its channel
// file, both holding the built-in new-document values.
#include "files/data_files.h"
#include "model/new_document.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

class StderrPrompter : public zt::Prompter {
  public:
    bool failed = false;
    zt::Answer ask(const std::string& text, zt::Icon, zt::Buttons, const std::string&) override {
        std::fprintf(stderr, "mktemplates: %s\n", text.c_str());
        failed = true;
        return zt::Answer::Cancel;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mktemplates INIT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    StderrPrompter prompter;
    zt::AppState app;
    app.prompter = &prompter;
    zt::Document doc;
    zt::RadioInfoRecord info;
    // A fixed date keeps the output the same from one build to the next.
    zt::SetNewDocumentValues(app, doc, info, zt::CalendarDate{2024, 1, 1});

    const std::string base = app.ModelNameText + "_0";
    for (const std::string& name : {base + "_NEW.dat", base + ".dat"}) {
        app.DocFileName = (dir / name).string();
        if (!zt::SaveDocument(app, doc)) {
            std::fprintf(stderr, "mktemplates: cannot write %s\n", app.DocFileName.c_str());
            return 1;
        }
    }
    return prompter.failed ? 1 : 0;
}
