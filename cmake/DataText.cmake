# Stages one text entry of the data pack: CR LF line ends, the version filled in.
# Run as: cmake -DINPUT=<file> -DOUTPUT=<file> -DTARNU_VERSION=<version> -P DataText.cmake
cmake_minimum_required(VERSION 3.25)
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\r" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(REPLACE "@TARNU_VERSION@" "${TARNU_VERSION}" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
