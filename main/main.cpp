#include "gui/corvane_text_app.h"

int main(int argc, char** argv) {
    CCorvaneTextApp app(argc, argv);
    return app.InitInstance();
}
