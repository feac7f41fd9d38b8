#include "app/startup.h"

int main(int argc, char **argv)
{
    return tv::runTallyvane(argc, argv);
}
