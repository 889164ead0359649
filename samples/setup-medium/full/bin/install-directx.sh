#!/bin/sh
# Prerequisite "DirectX 9.0c": nothing to install on this system; records the
# version the probe asks for.
kestrova-reg set HKLM 'SOFTWARE\Microsoft\DirectX' Version sz:9.0c
