extern "C" int missingHelper() { return 0; }
