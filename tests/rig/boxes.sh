# Sourced by tests that read quillet's message boxes: the boxes as tests/rig/boxdriver prints them.
# The not-installed message with no runtime registered at all.
not_installed_box="title: Quillet
icon: error
text: The Obel Java v6 environment has not yet been installed on your system.No previous Obel Java version found.
text: Please refer to the Web site where you got Quillet from to find instructions on how
text:  to obtain the Obel Java Runtime environment. This package is required by Quillet.
button: OK (default)"
