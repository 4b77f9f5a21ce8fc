// Every text that lanyard shows in a message box or writes to the standard streams.
#ifndef LANYARD_MESSAGES_HPP
#define LANYARD_MESSAGES_HPP

namespace lanyard {
namespace text {

// Creating the VM.
constexpr const char* createFailureTitle = "JVM create failure";
constexpr const char* createFailureBox = "Unable to create the Obel JVM";
constexpr const char* createFailureOutput = "Unable to create the Java VM";

// Running main through CallJavaCodeMP (the launcher's route). The box text's two blanks are
// the product's own and are kept.
constexpr const char* runMPTitle = "JVM create";
constexpr const char* runMPNoClassBox = "Can't find class";
constexpr const char* runMPNoClassOutput = "Can't find class ";  // + class name + line end
constexpr const char* runMPNoMainBox = "Can't find static  method";
constexpr const char* runMPNoMainOutput = "Can't find static method main\n";

// Running main through CallJavaCode.
constexpr const char* runTitle = "JVM start failure";
constexpr const char* runNoClassBox = "Unable to find class ";         // + class name
constexpr const char* runNoClassOutput = "Can't find class "; // + class name + arguments
constexpr const char* runNoMainBox = "Unable to find static method";
constexpr const char* runNoMainOutput = "Can't find static method main";

// Running main before a VM exists or after it was destroyed: the box carries the variant's
// title, the output its line-end convention.
constexpr const char* noVMBox = "The Java VM has not been created";
constexpr const char* noVMOutput = "No Java VM to run class "; // + class name

// A failure that reaches an entry point's boundary unexpectedly (written to standard error).
constexpr const char* unexpectedFailureFormat = "lanyard: %s: %s\n"; // entry point, text

// setRC could not post the return-code event: the Java caller receives this exception class
// with the class library's text.
constexpr const char* postFailureClass = "java/lang/IllegalStateException";
constexpr const char* postFailureFallback = "setRC: the return-code event could not be posted";

} // namespace text
} // namespace lanyard

#endif
