/* Machine-dependent JNI types and linkage for Windows (x86 and x64), for the JDK's own jni.h. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

/* Native methods and the invocation interface use the standard-call linkage; on x64 the
   compiler ignores __stdcall and uses the one calling convention there is. */
#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

/* long is 32 bits on both Windows targets (LLP64 on x64). */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */
