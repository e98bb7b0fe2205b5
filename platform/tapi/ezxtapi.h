#ifndef EZXTAPI_H
#define EZXTAPI_H

/*
 * Telephony library stand-in. The calls serve a simulated modem described by
 * the INI file named in the environment variable EZX_MODEM, section [Modem]
 * (docs/modem.md). Without EZX_MODEM, or when it names no file, there is no
 * modem: the queries fail with TAPI_ERROR_NO_MODEM and TAPI_CLIENT_Init
 * returns -1.
 *
 * Results: 0 is success. A failure is either one of the TAPI_ERROR_ codes
 * below or the error code the modem file configures for that call, returned
 * as it is. A failed call leaves the caller's buffer as it was.
 */

/*
 * The calls are not told the size of the caller's buffer. Each writes at
 * most this many bytes, the terminating zero included, cutting a longer
 * value to fit; a caller's buffer must be at least this large.
 */
#define TAPI_IMSI_BUFFER_SIZE 16           /* 15 digits at most */
#define TAPI_IMEI_BUFFER_SIZE 16           /* 15 digits */
#define TAPI_SERVICE_CENTER_BUFFER_SIZE 48
/* The message record handed to TAPI_SMS_SendSmBlockMode. */
#define TAPI_SMS_RECORD_SIZE 6500

#define TAPI_ERROR_NO_MODEM 100     /* no modem file configured */
#define TAPI_ERROR_NO_VALUE 101     /* the modem file lacks the value asked for */
#define TAPI_ERROR_BAD_ARGUMENT 102 /* a null buffer or record */
#define TAPI_ERROR_OUTBOX 103       /* no outbox configured, or it cannot be written */

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Opens a client: (NULL, 0) for queries, (pointer to the 16-bit value 780, 1)
 * for sending. Returns a positive client handle, -1 without a modem, or the
 * configured InitError.
 */
int TAPI_CLIENT_Init(void* arg, int count);

/* Ends a client. Always 0. */
int TAPI_CLIENT_Fini(void);

/* The SIM card's IMSI as zero-terminated text, at most TAPI_IMSI_BUFFER_SIZE bytes. */
int TAPI_ACCE_GetImsi(char* imsi);

/* The phone's IMEI as zero-terminated text, at most TAPI_IMEI_BUFFER_SIZE bytes. */
int TAPI_ACCE_GetImei(char* imei);

/* The service-centre number, at most TAPI_SERVICE_CENTER_BUFFER_SIZE bytes. */
int TAPI_SMS_GetServiceCenter(char* number);

/*
 * Sends one message: appends the TAPI_SMS_RECORD_SIZE bytes of record, exactly
 * as given, to the modem's outbox file, and returns when they are written.
 * On success *result (when not NULL) is set to 0.
 */
int TAPI_SMS_SendSmBlockMode(void* record, unsigned char* result);

#ifdef __cplusplus
}
#endif

#endif
