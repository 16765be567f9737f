#include "soundhost/SoundHost.h"

int main(int argc, char* argv[])
{
    return SoundHost::run(argc, argv);
}
