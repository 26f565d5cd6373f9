#include "CTovaloApp.h"

int main(int argc, char** argv) {
    CTovaloApp app;
    return platform::RunApplication(app, argc, argv);
}
