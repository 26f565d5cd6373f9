#include "RegTool.h"

#include <iostream>
#include <new>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    tovaloreg::RegTool tool(std::cout, std::cerr);
    try {
        return tool.Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        // Whatever was being written is rolled back with the transaction that held it.
        std::cerr << "tovalo-reg: out of memory; nothing was changed\n";
        return 1;
    }
}
