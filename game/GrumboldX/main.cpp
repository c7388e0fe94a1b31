#include "game/GrumboldX/startup.h"

int main(int argc, char** argv) { return game_main(argc, argv); }
