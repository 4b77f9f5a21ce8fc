# Each tool of the table: the class path and heap options as the running VM reports them. The
# test classes lie only in a jar whose name differs in case from the table's, so that they are
# found only through the class path as the bridge translates it for this platform.
source "$(dirname "$0")/lib.sh"

# tool, jar file made in the current directory, class path the VM must report
rows=(
  "Tamsel|DORN.TAMSEL.JAR|.:DORN.TAMSEL.JAR"
  "Korvid|Dorn.KorvidPlan.jar|.:Dorn.KorvidPlan.jar"
  "Brennick|dorn.brennick.jar|.:dorn.brennick.jar"
  "Lusk|DORN.STABILITY.jar|.:DORN.STABILITY.jar"
  "QUILLET|dorn.quillet.jar|.:dorn.quillet.jar"
  "Ferrow|DORN.FERROW.JAR|.:DORN.FERROW.JAR:"
  "Wendal|dorn.wendal.jar|.:dorn.wendal.jar:"
  "DornFe|Dorn.Fe.Jar|.:Dorn.Fe.Jar:"
  "Debug|DORN.debug.JAR|.:DORN.debug.JAR"
)
for row in "${rows[@]}"; do
  IFS='|' read -r tool jar classpath <<<"$row"
  cwd=$work/$tool
  mkdir -p "$cwd"
  cp "$test_jar" "$cwd/$jar"
  run "$tool" -- init "$tool" mp-plain lanyardtest/Report ""
  expect_rc 0
  expect_line "class path: $classpath"
  if [ "$tool" = Tamsel ]; then
    # One option holding a blank, which this VM does not know and skips.
    expect_line "input arguments: -Xcheck:jni|-Xgcpolicy:gencon -Xms100M"
    expect_no_line "initial heap: 104857600"
  else
    expect_line "input arguments: -Xcheck:jni|-Xms100M"
    expect_line "initial heap: 104857600"
  fi
done

# TestJNI's class path is the current directory alone; so is that of a name no row has, with
# the common heap option.
for tool in TestJNI QUILL; do
  cwd=$work/case$RANDOM
  mkdir -p "$cwd"
  unpack_classes "$cwd"
  cp "$test_jar" "$cwd/dorn.quillet.jar"
  run "tool '$tool'" -- init "$tool" mp-plain lanyardtest/Report ""
  expect_rc 0
  if [ "$tool" = TestJNI ]; then expect_line "class path: .:"; else expect_line "class path: ."; fi
  expect_line "input arguments: -Xcheck:jni|-Xms100M"
  expect_line "initial heap: 104857600"
done

# The plain entry point answers 0.
cwd=$work/QUILLET
run "InitializeJVM" -- init-plain QUILLET mp-plain lanyardtest/Echo ""
expect_rc 0
expect_line "InitializeJVM returned 0"
expect_line "args: 1"

# A second creation in the same process fails, and that ends the process like a first one.
run "second creation" -- init QUILLET init QUILLET say "not reached"
expect_rc 1
expect_out '%s\nDymInitializeJVM returned\nUnable to create the Java VM' "$loaded"
expect_err_line "JVM create failure: Unable to create the Obel JVM"

# A VM that the runtime refuses (an option it does not know): box, text, exit code 1.
run "refused creation" JAVA_TOOL_OPTIONS="-Xcheck:jni -XX:+NoSuchQuilletFlag" -- init QUILLET say "not reached"
expect_rc 1
expect_out '%s\nUnable to create the Java VM' "$loaded"
expect_err_line "JVM create failure: Unable to create the Obel JVM"

finish
